#include "common/SelectFileForm.h"

#include "common/FileOperations.h"
#include "common/WindowPosition.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMediaPlayer>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QVideoWidget>

namespace kv::common {

namespace {

constexpr int kPreviewWidth = 240;
constexpr int kPreviewHeight = 200;

// Qt's GStreamer media backend crashes while making a player on systems
// without GStreamer's base plugins; the FFmpeg backend ships with Qt's
// multimedia module. Chosen unless the user chose a backend; it takes
// effect only before the program's first use of multimedia.
void preferFfmpegMediaBackend()
{
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
}

}  // namespace

TSelectFileForm::TSelectFileForm(const QString& extensionsMask, VideoTest isVideoFile, ImageLoader loadImage,
                                 QWidget* owner)
    : QDialog(owner)
    , FilesLabel(new QLabel(QStringLiteral("Files:"), this))
    , FileListBox(new QListWidget(this))
    , PreviewLabel(new QLabel(QStringLiteral("Image Preview"), this))
    , Image(new QLabel(this))
    , VideoWidget(nullptr)
    , OKBtn(new QPushButton(QStringLiteral("OK"), this))
    , CancelBtn(new QPushButton(QStringLiteral("Cancel"), this))
    , m_mask(extensionsMask)
    , m_isVideo(std::move(isVideoFile))
    , m_loadImage(std::move(loadImage))
{
    // The video widget is the first thing to pick a media backend.
    preferFfmpegMediaBackend();
    VideoWidget = new QVideoWidget(this);
    setObjectName(QStringLiteral("SelectFileForm"));
    setWindowTitle(QStringLiteral("Select File"));
    resize(520, 300);

    Image->setFixedSize(kPreviewWidth, kPreviewHeight);
    Image->setAlignment(Qt::AlignCenter);
    VideoWidget->setFixedSize(kPreviewWidth, kPreviewHeight);
    VideoWidget->hide();

    auto* list = new QVBoxLayout;
    list->addWidget(FilesLabel);
    list->addWidget(FileListBox, 1);
    auto* preview = new QVBoxLayout;
    preview->addWidget(PreviewLabel);
    preview->addWidget(Image);
    preview->addWidget(VideoWidget);
    preview->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(list, 1);
    top->addLayout(preview);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);

    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(FileListBox, &QListWidget::currentRowChanged, this, [this] { FileListBoxChange(); });

    m_position = std::make_unique<TSaveFormPosition>(this, QStringLiteral("Select File"));
}

TSelectFileForm::~TSelectFileForm()
{
    if (MediaPlayer)
        MediaPlayer->stop();
}

void TSelectFileForm::setDirectory(const QString& directory)
{
    m_directory = directory;
    const QSignalBlocker block(FileListBox);
    FileListBox->clear();
    if (!directory.isEmpty()) {
        QStringList names;
        for (const QString& mask : MaskListItems(m_mask)) {
            for (const QString& name : QDir(directory).entryList({mask}, QDir::Files | QDir::Hidden, QDir::Name)) {
                if (!names.contains(name))
                    names << name;
            }
        }
        names.sort(Qt::CaseInsensitive);
        FileListBox->addItems(names);
    }
    FileListBoxChange();
}

void TSelectFileForm::setFileName(const QString& fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const QList<QListWidgetItem*> found = FileListBox->findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        FileListBox->setCurrentRow(-1);
    else
        FileListBox->setCurrentItem(found.constFirst());
}

QString TSelectFileForm::FileName() const
{
    const QListWidgetItem* item = FileListBox->currentItem();
    if (!item || m_directory.isEmpty())
        return QString();
    return QDir(m_directory).filePath(item->text());
}

bool TSelectFileForm::isPlayingVideo() const { return VideoWidget->isVisibleTo(this); }

void TSelectFileForm::FileListBoxChange()
{
    const QString path = FileName();
    if (!path.isEmpty() && m_isVideo && m_isVideo(path))
        playVideo(path);
    else
        showPicture(path);
}

void TSelectFileForm::showPicture(const QString& path)
{
    stopVideo();
    QImage picture;
    if (!path.isEmpty())
        picture = m_loadImage ? m_loadImage(path) : QImage(path);
    if (picture.isNull())
        Image->clear();
    else
        Image->setPixmap(QPixmap::fromImage(
            picture.scaled(Image->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    Image->show();
}

void TSelectFileForm::playVideo(const QString& path)
{
    Image->hide();
    Image->clear();
    VideoWidget->show();
    if (!MediaPlayer) {
        // Made on the first video only: most choices are pictures.
        MediaPlayer = new QMediaPlayer(this);
        MediaPlayer->setVideoOutput(VideoWidget);
    }
    MediaPlayer->setSource(QUrl::fromLocalFile(path));
    MediaPlayer->play();
}

void TSelectFileForm::stopVideo()
{
    if (MediaPlayer) {
        MediaPlayer->stop();
        MediaPlayer->setSource(QUrl());
    }
    VideoWidget->hide();
}

}  // namespace kv::common
