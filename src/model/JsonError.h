#pragma once

#include "model/StudioError.h"

namespace kinoloom {

// A stored document does not have the expected shape. `member` is the path of the
// offending member ("assets[2].role"), `problem` what is wrong with it.
class JsonError : public StudioError
{
public:
    JsonError(QString member, QString problem);

    const QString &member() const noexcept { return m_member; }
    const QString &problem() const noexcept { return m_problem; }

    // The same error seen from the enclosing object: `prefix` is put in front of the member.
    JsonError within(const QString &prefix) const;

private:
    QString m_member;
    QString m_problem;
};

} // namespace kinoloom
