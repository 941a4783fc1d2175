#pragma once

#include <QString>

#include <exception>
#include <string>

namespace kinoloom {

// The program's own failure: one finished sentence for the user, shown unchanged.
class StudioError : public std::exception
{
public:
    explicit StudioError(QString message);

    const QString &message() const noexcept { return m_message; }
    // What the user is shown; for a StudioError exactly the carried sentence.
    virtual QString description() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.c_str(); }

private:
    QString m_message;
    std::string m_utf8;
};

} // namespace kinoloom
