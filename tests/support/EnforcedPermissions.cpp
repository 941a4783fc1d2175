#include "support/EnforcedPermissions.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace kinoloom::test {

namespace {

bool readCapabilities(__user_cap_data_struct (&data)[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capget, &header, data) == 0;
}

bool writeCapabilities(__user_cap_data_struct (&data)[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capset, &header, data) == 0;
}

} // namespace

EnforcedPermissions::EnforcedPermissions()
{
    __user_cap_data_struct data[2];
    if (!readCapabilities(data))
        return;
    m_savedEffective[0] = data[0].effective;
    m_savedEffective[1] = data[1].effective;
    const unsigned bypass = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
    if ((data[0].effective & bypass) == 0) {
        m_active = true;
        return;
    }
    data[0].effective &= ~bypass;
    m_dropped = m_active = writeCapabilities(data);
}

EnforcedPermissions::~EnforcedPermissions()
{
    if (!m_dropped)
        return;
    __user_cap_data_struct data[2];
    if (!readCapabilities(data))
        return;
    data[0].effective = m_savedEffective[0];
    data[1].effective = m_savedEffective[1];
    writeCapabilities(data);
}

} // namespace kinoloom::test
