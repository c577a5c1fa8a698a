#include "common/BrowseForFolder.h"

#include "common/ShowModal.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

namespace kv::common {

bool CanEnterDirectory(const QString& directory)
{
    if (directory.isEmpty())
        return false;
    const QFileInfo info(directory);
    return info.isDir() && info.isExecutable() && info.isReadable();
}

TDirectoryForm::TDirectoryForm(QWidget* owner)
    : QDialog(owner)
    , Label1(new QLabel(QStringLiteral("Select A Folder For:"), this))
    , CaptionLabel(new QLabel(this))
    , DriveComboBox(new QComboBox(this))
    , DirectoryTree(new QTreeView(this))
    , OKBtn(new QPushButton(QStringLiteral("&OK"), this))
    , CancelBtn(new QPushButton(QStringLiteral("&Cancel"), this))
    , m_model(new QFileSystemModel(this))
    , m_previousCurrentDirectory(QDir::currentPath())
{
    setObjectName(QStringLiteral("DirectoryForm"));
    setWindowTitle(QStringLiteral("Browse For Folder"));
    resize(320, 360);

    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setRootPath(QString());
    DirectoryTree->setModel(m_model);
    DirectoryTree->setHeaderHidden(true);
    for (int column = 1; column < m_model->columnCount(); ++column)
        DirectoryTree->hideColumn(column);

    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath()))
            roots << volume.rootPath();
    }
    if (!roots.contains(QDir::rootPath()))
        roots.prepend(QDir::rootPath());
    roots.sort();
    DriveComboBox->addItems(roots);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(CaptionLabel);
    layout->addWidget(DriveComboBox);
    layout->addWidget(DirectoryTree, 1);
    layout->addLayout(buttons);

    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(DriveComboBox, &QComboBox::currentTextChanged, this, [this] { DriveComboBoxChange(); });

    selectDirectory(QDir::currentPath());
}

TDirectoryForm::~TDirectoryForm() { QDir::setCurrent(m_previousCurrentDirectory); }

void TDirectoryForm::setCaption(const QString& caption) { CaptionLabel->setText(caption); }

QString TDirectoryForm::caption() const { return CaptionLabel->text(); }

void TDirectoryForm::setStartDirectory(const QString& directory)
{
    selectDirectory(CanEnterDirectory(directory) ? directory : QDir::currentPath());
}

QString TDirectoryForm::Directory() const
{
    const QModelIndex current = DirectoryTree->currentIndex();
    return current.isValid() ? m_model->filePath(current) : QString();
}

QString TDirectoryForm::volumeOf(const QString& directory)
{
    const QStorageInfo volume(directory);
    return volume.isValid() ? volume.rootPath() : QDir::rootPath();
}

void TDirectoryForm::showVolume(const QString& root)
{
    DirectoryTree->setRootIndex(m_model->index(root));
}

void TDirectoryForm::selectDirectory(const QString& directory)
{
    const QString path = QDir::cleanPath(QFileInfo(directory).absoluteFilePath());
    const QString root = volumeOf(path);
    {
        const QSignalBlocker block(DriveComboBox);
        if (DriveComboBox->findText(root) < 0)
            DriveComboBox->addItem(root);
        DriveComboBox->setCurrentText(root);
    }
    showVolume(root);
    const QModelIndex index = m_model->index(path);
    if (index.isValid()) {
        DirectoryTree->setCurrentIndex(index);
        DirectoryTree->scrollTo(index);
    }
}

void TDirectoryForm::DriveComboBoxChange()
{
    const QString root = DriveComboBox->currentText();
    if (!CanEnterDirectory(root))
        return;
    showVolume(root);
    DirectoryTree->setCurrentIndex(m_model->index(root));
}

std::optional<QString> BrowseForFolder(QWidget* owner, const QString& caption, const QString& start)
{
    TDirectoryForm form(owner);
    form.setCaption(caption);
    form.setStartDirectory(start);
    if (showModal(form) != QDialog::Accepted)
        return std::nullopt;
    return form.Directory();
}

}  // namespace kv::common
