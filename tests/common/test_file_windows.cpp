// The "Browse For Folder" and "Select File" windows and the window gauges of
// file operations, on real directories.
#include "TestApplication.h"

#include "common/BrowseForFolder.h"
#include "common/FileCopy.h"
#include "common/FileProgressWidgets.h"
#include "common/MessageBoxes.h"
#include "common/ModalWindows.h"
#include "common/SelectFileForm.h"
#include "common/WindowPosition.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVideoWidget>

#include <gtest/gtest.h>

using namespace kv::common;

namespace {

class FileWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        kv::test::testApplication<QApplication>();
    }

    QTemporaryDir dir;

    void writeFile(const QString& name, const QByteArray& bytes = "x")
    {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
};

TEST_F(FileWindowTest, BrowseForFolderStartsWhereItCan)
{
    const QString start = QDir(dir.path()).canonicalPath();
    ASSERT_TRUE(QDir(start).mkpath(QStringLiteral("Pictures/2003")));
    const QString pictures = start + QStringLiteral("/Pictures/2003");
    const QString current = QDir::currentPath();
    {
        TDirectoryForm form;
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Browse For Folder"));
        EXPECT_EQ(form.Label1->text(), QStringLiteral("Select A Folder For:"));
        EXPECT_EQ(form.OKBtn->text(), QStringLiteral("&OK"));
        EXPECT_EQ(form.CancelBtn->text(), QStringLiteral("&Cancel"));
        form.setCaption(QStringLiteral("Storage Location"));
        EXPECT_EQ(form.CaptionLabel->text(), QStringLiteral("Storage Location"));

        form.setStartDirectory(pictures);
        EXPECT_EQ(form.Directory(), pictures);
        form.setStartDirectory(start + QStringLiteral("/missing"));
        EXPECT_EQ(form.Directory(), QDir::currentPath());

        // The current directory moves while the window is open ...
        ASSERT_TRUE(QDir::setCurrent(pictures));
    }
    // ... and is back where it was once the window is gone.
    EXPECT_EQ(QDir::currentPath(), current);

    ModalHandlerScope accept([&](QObject& window) {
        auto& form = static_cast<TDirectoryForm&>(window);
        EXPECT_EQ(form.caption(), QStringLiteral("Storage Location"));
        form.selectDirectory(start + QStringLiteral("/Pictures"));
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(BrowseForFolder(nullptr, QStringLiteral("Storage Location"), pictures),
              std::optional<QString>(start + QStringLiteral("/Pictures")));
    ModalHandlerScope cancel([](QObject&) { return int(QDialog::Rejected); });
    EXPECT_EQ(BrowseForFolder(nullptr, QStringLiteral("Storage Location"), pictures), std::nullopt);
}

TEST_F(FileWindowTest, SelectFileListsByMaskAndShowsPicturesOrVideo)
{
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(dir.filePath(QStringLiteral("a.jpg"))));
    writeFile(QStringLiteral("b.avi"), "RIFF");
    writeFile(QStringLiteral("c.txt"));
    ASSERT_TRUE(picture.save(dir.filePath(QStringLiteral("d.BMP")), "BMP"));

    QStringList loaded;
    TSelectFileForm form(
        QStringLiteral("*.jpg;*.avi;*.bmp"), [](const QString& name) { return name.endsWith(QLatin1String(".avi")); },
        [&](const QString& name) {
            loaded << QFileInfo(name).fileName();
            return QImage(name);
        });
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Select File"));
    EXPECT_EQ(form.FilesLabel->text(), QStringLiteral("Files:"));
    EXPECT_EQ(form.PreviewLabel->text(), QStringLiteral("Image Preview"));
    const auto* position = form.findChild<TSaveFormPosition*>();
    ASSERT_NE(position, nullptr);
    EXPECT_EQ(position->name(), QStringLiteral("Select File"));

    form.setDirectory(dir.path());
    QStringList listed;
    for (int i = 0; i < form.FileListBox->count(); ++i)
        listed << form.FileListBox->item(i)->text();
    EXPECT_EQ(listed, (QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.avi"), QStringLiteral("d.BMP")}));
    EXPECT_EQ(form.FileName(), QString());

    form.show();
    form.setFileName(dir.filePath(QStringLiteral("a.jpg")));
    EXPECT_EQ(form.FileName(), dir.filePath(QStringLiteral("a.jpg")));
    EXPECT_TRUE(form.Image->isVisible());
    EXPECT_FALSE(form.isPlayingVideo());
    EXPECT_FALSE(form.Image->pixmap().isNull());
    EXPECT_EQ(loaded, QStringList{QStringLiteral("a.jpg")});

    form.setFileName(QStringLiteral("b.avi"));
    EXPECT_TRUE(form.isPlayingVideo());
    EXPECT_FALSE(form.Image->isVisible());
    EXPECT_EQ(loaded.size(), 1);  // a video is never read as a picture

    form.setFileName(QStringLiteral("d.BMP"));
    EXPECT_FALSE(form.isPlayingVideo());
    EXPECT_TRUE(form.Image->isVisible());
    EXPECT_EQ(loaded.last(), QStringLiteral("d.BMP"));

    form.setFileName(QStringLiteral("c.txt"));  // not listed: nothing chosen
    EXPECT_EQ(form.FileName(), QString());
}

TEST_F(FileWindowTest, CopyProgressInWindowControls)
{
    writeFile(QStringLiteral("one.jpg"), "1");
    writeFile(QStringLiteral("two.jpg"), "2");
    QLabel label;
    QProgressBar bar;
    LabelProgress labelProgress(&label);
    ProgressBarGauge gauge(&bar);
    QTemporaryDir out;
    CopyTree(dir.path(), QStringLiteral("*.jpg"), out.path(), &gauge, &labelProgress, false);
    EXPECT_EQ(bar.minimum(), 0);
    EXPECT_EQ(bar.maximum(), 2);
    EXPECT_EQ(bar.value(), 2);
    EXPECT_EQ(label.text(), QStringLiteral("Copying File: ") + dir.filePath(QStringLiteral("two.jpg")));
}

TEST_F(FileWindowTest, AbortRetryIgnoreBox)
{
    const Message message{MessageKind::Error, MessageButtons::AbortRetryIgnore, QStringLiteral("Insert the disc"),
                          MessageAnswer::Abort};
    const auto box = createMessageBox(message);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->standardButton(box->escapeButton()), QMessageBox::Abort);
}

}  // namespace
