#include "session/LiveFilePanels.h"

#include <QFileDialog>

namespace kinoloom {

namespace {

void present(QFileDialog &dialog, const QString &prompt, const QString &message, const QStringList &nameFilters)
{
    dialog.setWindowTitle(message);
    dialog.setLabelText(QFileDialog::Accept, prompt);
    if (!nameFilters.isEmpty())
        dialog.setNameFilters(nameFilters);
}

} // namespace

LiveFilePanels::LiveFilePanels(QWidget *parent)
    : m_parent(parent)
{
}

QStringList LiveFilePanels::open(const OpenPanel &panel)
{
    QFileDialog dialog(m_parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (panel.directories) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
    } else {
        dialog.setFileMode(panel.allowsMultipleSelection ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    }
    // A read-only panel offers no "New Folder".
    dialog.setOption(QFileDialog::ReadOnly, !panel.canCreateDirectories);
    present(dialog, panel.prompt, panel.message, panel.nameFilters);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

std::optional<QString> LiveFilePanels::save(const SavePanel &panel)
{
    QFileDialog dialog(m_parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!panel.directory.isEmpty())
        dialog.setDirectory(panel.directory);
    if (!panel.suggestedName.isEmpty())
        dialog.selectFile(panel.suggestedName);
    dialog.setDefaultSuffix(panel.defaultSuffix);
    present(dialog, panel.prompt, panel.message, panel.nameFilters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace kinoloom
