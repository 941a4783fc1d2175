#include "ui/shell/AttentionAlert.h"

#include "session/StudioModel.h"
#include "ui/shell/AlertMessage.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/MessageBoxStyle.h"

#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>

namespace kinoloom {

Q_LOGGING_CATEGORY(alertLog, "kinoloom.alert", QtWarningMsg)

namespace {

const char *const detailsProperty = "kinoloomShowDetails";

} // namespace

AttentionAlert::AttentionAlert(StudioModel *model, QWidget *window)
    : QObject(window)
    , m_model(model)
    , m_window(window)
    , m_refresh(new CoalescedRefresh([this] { update(); }, this))
{
    m_refresh->follow(model, &StudioModel::errorChanged);
    m_refresh->schedule();
}

void AttentionAlert::update()
{
    if (!m_model || !m_window)
        return;
    if (!m_model->error()) {
        if (m_box) {
            m_closing = true;
            m_box->done(QMessageBox::Ok);
            m_closing = false;
        }
        return;
    }
    if (!m_box) {
        auto *box = new QMessageBox(m_window);
        box->setObjectName(QStringLiteral("needsAttentionAlert"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setIcon(QMessageBox::Warning);
        box->setWindowTitle(QStringLiteral("Needs attention"));
        box->setTextFormat(Qt::PlainText);
        box->setText(QStringLiteral("Needs attention"));
        QPushButton *ok = box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        QPushButton *details = box->addButton(QStringLiteral("Show details"), QMessageBox::ActionRole);
        details->setProperty(detailsProperty, true);
        box->setDefaultButton(ok);
        box->setEscapeButton(ok);
        connect(box, &QMessageBox::finished, this, &AttentionAlert::finished);
        m_box = box;
        showMessage();
        box->open();
        return;
    }
    showMessage();
}

void AttentionAlert::showMessage()
{
    // Cut to whole lines at a fixed width, so the box shows at most four of them.
    ClampedLabel measure;
    measure.setFont(m_box->font());
    measure.setMaxLines(maximumLines);
    measure.setText(alertMessage(m_model->error()));
    const QStringList lines = measure.lines(messageWidth);
    qCInfo(alertLog).noquote() << "Needs attention:" << lines.join(QLatin1Char(' '));
    m_box->setInformativeText(lines.join(QLatin1Char('\n')));
    styleMessageBox(*m_box, messageWidth);
}

void AttentionAlert::finished()
{
    QMessageBox *box = m_box;
    m_box = nullptr;
    if (m_closing || !m_model || !box)
        return;
    // A user's answer: the alert closes, whichever way it went.
    QAbstractButton *clicked = box->clickedButton();
    if (clicked && clicked->property(detailsProperty).toBool())
        m_model->setShowLog(true);
    m_model->setError(std::nullopt);
}

} // namespace kinoloom
