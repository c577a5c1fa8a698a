#pragma once

#include <QDialog>
#include <QImage>
#include <QString>

#include <functional>
#include <memory>

class QLabel;
class QListWidget;
class QMediaPlayer;
class QPushButton;
class QVideoWidget;

namespace kv::common {

class TSaveFormPosition;

// The "Select File" window: the "Files:" list of one directory filtered by
// an extension mask list, an "Image Preview" area and OK/Cancel. Choosing a
// video file plays it in a media player shown in place of the image; any
// other file is shown in the image. Its position is kept as "Select File".
class TSelectFileForm : public QDialog {
    Q_OBJECT
public:
    using VideoTest = std::function<bool(const QString& fileName)>;
    using ImageLoader = std::function<QImage(const QString& fileName)>;

    // extensionsMask: the mask list of the files listed ("*.jpg;*.avi").
    // isVideoFile tells video files; loadImage reads a picture (a null image
    // shows nothing). Either may be empty: no file is a video, and pictures
    // are read with the toolkit's own reader.
    TSelectFileForm(const QString& extensionsMask, VideoTest isVideoFile, ImageLoader loadImage,
                    QWidget* owner = nullptr);
    ~TSelectFileForm() override;

    QString extensionsMask() const { return m_mask; }
    void setImageLoader(ImageLoader loadImage) { m_loadImage = std::move(loadImage); }

    // Lists the directory's files that match the mask.
    void setDirectory(const QString& directory);
    QString directory() const { return m_directory; }
    // Selects the proposed file (a name in the directory or a full path);
    // nothing is selected when it is not listed.
    void setFileName(const QString& fileName);
    // The full path of the selected file (empty when none).
    QString FileName() const;

    // Whether the player is on show in place of the image.
    bool isPlayingVideo() const;

    QLabel* FilesLabel;
    QListWidget* FileListBox;
    QLabel* PreviewLabel;
    QLabel* Image;
    QVideoWidget* VideoWidget;
    QMediaPlayer* MediaPlayer = nullptr;  // made when the first video is chosen
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

private:
    void FileListBoxChange();
    void showPicture(const QString& path);
    void playVideo(const QString& path);
    void stopVideo();

    QString m_mask;
    QString m_directory;
    VideoTest m_isVideo;
    ImageLoader m_loadImage;
    std::unique_ptr<TSaveFormPosition> m_position;
};

}  // namespace kv::common
