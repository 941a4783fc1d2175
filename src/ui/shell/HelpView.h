#pragma once

#include "ui/shell/HelpTopic.h"

#include <QWidget>

#include <optional>

class QLabel;
class QLineEdit;
class QListWidget;
class QScrollArea;

namespace kinoloom {

// The help window: the topic list with its search field on the left, the current topic on the
// right, "No matching topics" with "Clear search" when the search finds nothing. Its title is
// the current topic's ("Getting started · Help"). It knows no model: "Open Settings…" only
// emits openSettingsRequested.
class HelpView : public QWidget
{
    Q_OBJECT

public:
    explicit HelpView(QWidget *parent = nullptr);

    QString query() const;
    // As if the user typed `query` into the search field.
    void setQuery(const QString &query);
    // As if the user picked the topic's row.
    void select(const QString &topicId);

    std::optional<QString> selection() const { return m_selection; }
    QList<HelpTopic> topics() const { return m_results; }
    std::optional<HelpTopic> current() const;
    QString footerText() const;

    QListWidget *topicList() const { return m_list; }

Q_SIGNALS:
    void openSettingsRequested();

private:
    void refresh();
    QWidget *topicPage(const HelpTopic &topic);
    QWidget *noMatchPage();

    std::optional<QString> m_selection;
    QList<HelpTopic> m_results;
    std::optional<QString> m_shown;
    bool m_detailBuilt = false;
    QLineEdit *m_search;
    QListWidget *m_list;
    QLabel *m_footer;
    QScrollArea *m_detail;
};

} // namespace kinoloom
