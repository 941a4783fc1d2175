#include "ui/preview/PreviewPicture.h"

#include "ui/preview/VideoView.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/SymbolView.h"

#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QVBoxLayout>

namespace kinoloom {

namespace {

// A centred column of `top` over a line of text, in white at `opacity`, on the black picture.
QWidget *centredMessage(QWidget *top, const QString &text, double opacity, const QString &name, QWidget *parent)
{
    auto *message = new QWidget(parent);
    message->setObjectName(name);
    QPalette palette = message->palette();
    QColor white(Qt::white);
    white.setAlphaF(opacity);
    palette.setColor(QPalette::WindowText, white);
    message->setPalette(palette);

    auto *label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setFont(StudioStyle::body());
    label->setAlignment(Qt::AlignCenter);
    // A short window leaves the picture narrower than the sentence: wrap rather than cut it.
    label->setWordWrap(true);

    auto *column = new QVBoxLayout(message);
    column->setSpacing(StudioStyle::regular);
    column->addStretch(1);
    column->addWidget(top, 0, Qt::AlignHCenter);
    // The whole width, centred by the label itself: a column aligning a wrapped label gives it
    // a guessed narrow width and the height of one line, which cuts the sentence.
    column->addWidget(label);
    column->addStretch(1);
    return message;
}

} // namespace

PreviewPicture::PreviewPicture(QWidget *parent)
    : QWidget(parent)
    , m_view(new VideoView(nullptr, this))
{
    setObjectName(QStringLiteral("previewPicture"));
    m_view->setCornerRadius(StudioStyle::radius);

    auto *progress = new QProgressBar;
    progress->setRange(0, 0);
    progress->setTextVisible(false);
    progress->setFixedSize(140, 6);
    m_loading = centredMessage(progress, loadingText(), 0.7, QStringLiteral("previewLoading"), this);

    auto *symbol = new SymbolView(QStringLiteral("play.rectangle"), 40, SymbolWeight::light);
    m_empty = centredMessage(symbol, emptyText(), 0.6, QStringLiteral("previewEmpty"), this);
    showContent(nullptr, false, QString());
}

void PreviewPicture::showContent(PreviewPlayer *player, bool loading, const QString &stillPath)
{
    m_content = player               ? Content::player
        : loading                    ? Content::loading
        : !still(stillPath).isNull() ? Content::still
                                     : Content::empty;
    m_view->setPlayer(player);
    m_view->setVisible(m_content == Content::player);
    m_loading->setVisible(m_content == Content::loading);
    m_empty->setVisible(m_content == Content::empty);
    update();
}

const QImage &PreviewPicture::still(const QString &path)
{
    const QFileInfo file(path);
    const QDateTime modified = path.isEmpty() ? QDateTime() : file.lastModified();
    const qint64 size = path.isEmpty() ? -1 : file.size();
    if (path != m_stillPath || modified != m_stillModified || size != m_stillSize) {
        QImageReader reader(path);
        reader.setAutoTransform(true);
        m_still = path.isEmpty() ? QImage() : reader.read();
        m_stillPath = path;
        m_stillModified = modified;
        m_stillSize = size;
    }
    return m_still;
}

QString PreviewPicture::message() const
{
    switch (m_content) {
    case Content::loading: return loadingText();
    case Content::empty: return emptyText();
    default: return {};
    }
}

void PreviewPicture::resizeEvent(QResizeEvent *)
{
    m_view->setGeometry(rect());
    m_loading->setGeometry(rect());
    m_empty->setGeometry(rect());
}

void PreviewPicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), StudioStyle::radius, StudioStyle::radius);
    painter.fillPath(shape, Qt::black);
    if (m_content != Content::still)
        return;
    painter.setClipPath(shape);
    painter.drawImage(VideoView::pictureRect(m_still.size(), rect()), m_still);
}

} // namespace kinoloom
