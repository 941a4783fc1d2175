#include "model/JsonError.h"

namespace kinoloom {

namespace {
QString sentence(const QString &member, const QString &problem)
{
    if (member.isEmpty())
        return problem;
    return QStringLiteral("The member “%1” %2").arg(member, problem);
}
} // namespace

JsonError::JsonError(QString member, QString problem)
    : StudioError(sentence(member, problem))
    , m_member(std::move(member))
    , m_problem(std::move(problem))
{
}

JsonError JsonError::within(const QString &prefix) const
{
    if (m_member.isEmpty())
        return JsonError(prefix, m_problem);
    const QString joined = m_member.startsWith(QLatin1Char('[')) ? prefix + m_member
                                                                 : prefix + QLatin1Char('.') + m_member;
    return JsonError(joined, m_problem);
}

} // namespace kinoloom
