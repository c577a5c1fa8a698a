#include "reference/FileChooser.h"

#include "common/ShowModal.h"

#include <QFileDialog>
#include <utility>

namespace kv::reference {

namespace {

FileChooser& installed()
{
    static FileChooser chooser;
    return chooser;
}

QString fileDialog(QWidget* parent, const FileRequest& request)
{
    QFileDialog dialog(parent, request.caption);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.startFile.isEmpty())
        dialog.selectFile(request.startFile);
    if (common::showModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace

QString ChooseFile(QWidget* parent, const FileRequest& request)
{
    return installed() ? installed()(parent, request) : fileDialog(parent, request);
}

FileChooserScope::FileChooserScope(FileChooser chooser)
    : m_previous(std::exchange(installed(), std::move(chooser)))
{
}

FileChooserScope::~FileChooserScope() { installed() = std::move(m_previous); }

}  // namespace kv::reference
