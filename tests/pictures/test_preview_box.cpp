// The preview box of a window: the label and image swap places as the
// settings, the rating and the preview file say.
#include "support/TempCatalogue.h"
#include "support/TestApplication.h"

#include "data/SystemInfo.h"
#include "common/SelectFileForm.h"
#include "pictures/ImageFiles.h"
#include "pictures/PictureChoosers.h"
#include "pictures/PreviewBox.h"
#include "pictures/Previews.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

using namespace kv::pictures;

namespace {

class PreviewBoxTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        kv::test::testApplication<QApplication>();
    }

    kv::test::OpenDataModule m;
    QTemporaryDir previews;
    kv::data::TSystemInfo saved = kv::data::SystemInfo();
    QWidget window;
    QLabel* noPreview = new QLabel(QStringLiteral("No Preview"), &window);
    QLabel* image = new QLabel(&window);

    void SetUp() override
    {
        kv::data::SystemInfo().PreviewDir = previews.path() + QLatin1Char('/');
        kv::data::SystemInfo().ShowPreview = true;
        kv::data::SystemInfo().EncryptionKey = QStringLiteral("key");
        m.db().exec(QStringLiteral("INSERT INTO PictureInfo (PictureID, RatingID) VALUES (1, 1), (2, 1)"));
        image->resize(120, 90);
        window.show();
    }
    void TearDown() override { kv::data::SystemInfo() = saved; }
};

TEST_F(PreviewBoxTest, ShowsThePreviewThePlaceholderOrTheLabel)
{
    QImage picture(300, 300, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    WritePreview(1, picture);

    ShowPreviewInBox(m.dm, 1, false, noPreview, image);
    EXPECT_TRUE(image->isVisible());
    EXPECT_FALSE(noPreview->isVisible());
    EXPECT_EQ(image->pixmap().size(), QSize(90, 90));
    const QRgb middle = image->pixmap().toImage().pixel(45, 45);
    EXPECT_NEAR(qGreen(middle), 128, 3);
    EXPECT_NEAR(qRed(middle), 0, 3);

    ShowPreviewInBox(m.dm, 2, false, noPreview, image);  // no preview file
    EXPECT_TRUE(image->isVisible());
    EXPECT_EQ(image->pixmap().size(), FittedSize(NoPhotoSize(), 120, 90, true, 100));

    // Rating 1 is not among the user's permitted ratings.
    ShowPreviewInBox(m.dm, 1, true, noPreview, image);
    EXPECT_FALSE(image->isVisible());
    EXPECT_TRUE(noPreview->isVisible());

    m.dm.PermittedRatings.append(1);
    ShowPreviewInBox(m.dm, 1, true, noPreview, image);
    EXPECT_TRUE(image->isVisible());

    kv::data::SystemInfo().ShowPreview = false;
    ShowPreviewInBox(m.dm, 1, false, noPreview, image);
    EXPECT_FALSE(image->isVisible());
    EXPECT_TRUE(noPreview->isVisible());
}

}  // namespace

namespace {

TEST_F(PreviewBoxTest, SelectFileWindowUsesTheCatalogueExtensions)
{
    m.db().exec(QStringLiteral("INSERT INTO FileExtensions (FileExtensionDescription, IsVideoExtension) "
                               "VALUES ('jpg', 0), ('mov', 1)"));
    QImage picture(800, 600, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(previews.filePath(QStringLiteral("a.jpg"))));
    QFile movie(previews.filePath(QStringLiteral("b.mov")));
    ASSERT_TRUE(movie.open(QIODevice::WriteOnly));
    movie.close();
    QFile other(previews.filePath(QStringLiteral("c.png")));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();

    const auto form = NewSelectFileForm(m.dm);
    EXPECT_EQ(form->extensionsMask(), QStringLiteral("*.jpg;*.mov"));
    form->setDirectory(previews.path());
    ASSERT_EQ(form->FileListBox->count(), 2);
    form->show();
    form->setFileName(QStringLiteral("a.jpg"));
    EXPECT_FALSE(form->isPlayingVideo());
    const QSize shown = form->Image->pixmap().size();
    EXPECT_TRUE(shown.width() == form->Image->width() || shown.height() == form->Image->height());
    form->setFileName(QStringLiteral("b.mov"));
    EXPECT_TRUE(form->isPlayingVideo());
}

}  // namespace
