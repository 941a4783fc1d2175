#pragma once

namespace kinoloom::test {

// While alive, the calling thread obeys file permissions even when the tests run as root: the
// capabilities that bypass read and search checks are dropped from its effective set and
// restored afterwards. Lets a test see a mode-000 folder the way a normal user does.
class EnforcedPermissions
{
public:
    EnforcedPermissions();
    ~EnforcedPermissions();
    EnforcedPermissions(const EnforcedPermissions &) = delete;
    EnforcedPermissions &operator=(const EnforcedPermissions &) = delete;

    // False when the system did not allow dropping the capabilities.
    bool active() const { return m_active; }

private:
    bool m_active = false;
    bool m_dropped = false;
    unsigned m_savedEffective[2] = {0, 0};
};

} // namespace kinoloom::test
