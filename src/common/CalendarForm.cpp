#include "common/CalendarForm.h"

#include "common/ShowModal.h"
#include "data/DataSet.h"
#include "data/FieldValue.h"
#include "data/SystemInfo.h"

#include <QCalendarWidget>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>

#include <algorithm>
#include <functional>

namespace kv::common {

namespace {

// numerator / denominator rounded to the nearest integer, ties to even
// (both positive).
qint64 roundedQuotient(qint64 numerator, qint64 denominator)
{
    const qint64 q = numerator / denominator;
    const qint64 twice = 2 * (numerator % denominator);
    if (twice > denominator || (twice == denominator && q % 2 != 0))
        return q + 1;
    return q;
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

bool endsInSeparator(const QString& directory)
{
    return directory.endsWith(QLatin1Char('/')) || directory.endsWith(QDir::separator());
}

// A file name pattern as the directory search reads it: "*" any run of
// characters, "?" one character, except that a run of "?" just before the
// extension (or at the end) may also stand for fewer characters.
QRegularExpression namePattern(const QString& pattern)
{
    QString rx;
    for (int i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('*')) {
            rx += QStringLiteral(".*");
            ++i;
        } else if (c == QLatin1Char('?')) {
            int run = 0;
            while (i < pattern.size() && pattern[i] == QLatin1Char('?')) {
                ++run;
                ++i;
            }
            const bool trailing = i == pattern.size() || pattern[i] == QLatin1Char('.');
            rx += trailing ? QStringLiteral(".{0,%1}").arg(run) : QStringLiteral(".{%1}").arg(run);
        } else {
            rx += QRegularExpression::escape(QString(c));
            ++i;
        }
    }
    QRegularExpression::PatternOptions options = QRegularExpression::DotMatchesEverythingOption;
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    // These platforms' file systems ignore letter case.
    options |= QRegularExpression::CaseInsensitiveOption;
#endif
    return QRegularExpression(QRegularExpression::anchoredPattern(rx), options);
}

// Reads a picture straight at the size it is shown at (the JPEG reader
// decodes a large picture scaled down). Null when the file cannot be read.
QImage readDisplayPicture(const QString& file)
{
    QImageReader reader(file);
    reader.setAutoTransform(false);
    QSize size = reader.size();
    if (!size.isValid()) {
        // A format that cannot tell its size without decoding.
        QImage full = reader.read();
        if (full.isNull())
            return {};
        const QSize shown = TCalendarForm::pictureDisplaySize(full.size());
        return full.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    const QSize shown = TCalendarForm::pictureDisplaySize(size);
    if (shown.isEmpty())
        return {};
    reader.setScaledSize(shown);
    QImage image = reader.read();
    if (image.isNull())
        return {};
    if (image.size() != shown)
        image = image.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

}  // namespace

TCalendarForm::TCalendarForm(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                         | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Calendar"));
    // The calendar keeps no saved position: it opens where the system
    // places new windows.
    setFixedSize(ClientWidth, ClientHeight);

    MonthCalendar1 = new QCalendarWidget(this);
    MonthCalendar1->setObjectName(QStringLiteral("MonthCalendar1"));
    MonthCalendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    MonthCalendar1->setGeometry(8, 8, 209, 153);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setScaledContents(true);
    Image1->setGeometry(ImageLeft, ImageTop, ImageMaxWidth, ImageMaxHeight);

    QFont labelFont = font();
    labelFont.setBold(true);
    labelFont.setItalic(true);
    Label1 = new QLabel(QStringLiteral("Loading  Image"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(labelFont);
    Label1->move(232, 56);
    Label1->adjustSize();
    Label2 = new QLabel(QStringLiteral("Please Wait"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(labelFont);
    Label2->move(232, 72);
    Label2->adjustSize();

    SetPictureDirectory(calendarStartingDirectory());

    connect(MonthCalendar1, &QCalendarWidget::clicked, this, [this] { UpdateCalendarPicture(); });
    // The shown month changed; the first showing is handled in showEvent.
    connect(MonthCalendar1, &QCalendarWidget::currentPageChanged, this, [this] {
        if (isVisible())
            UpdateCalendarPicture();
    });
    connect(MonthCalendar1, &QCalendarWidget::activated, this, [this] { accept(); });
}

void TCalendarForm::setDate(const QDate& date)
{
    MonthCalendar1->setSelectedDate(date.isValid() ? date : QDate::currentDate());
}

QDate TCalendarForm::date() const
{
    return MonthCalendar1->selectedDate();
}

void TCalendarForm::SetPictureDirectory(const QString& directory)
{
    m_pictureDirectory = directory;
    if (!m_pictureDirectory.isEmpty() && !endsInSeparator(m_pictureDirectory))
        m_pictureDirectory += QDir::separator();
    // A day looked up in the former directory is looked up again.
    m_lastShownDate = QDate();
}

void TCalendarForm::UpdateCalendarPicture()
{
    const QDate d = date();
    if (m_pictureDirectory.isEmpty()) {
        setWindowWidth(NarrowWidth);
        return;
    }
    if (d == m_lastShownDate)
        return;
    m_lastShownDate = d;
    const QString f = FindDatePicture(d.year(), d.month(), d.day());
    if (!f.isEmpty())
        ShowCalendarPicture(f);
    else
        showNoPicture();
}

QString TCalendarForm::FindDatePicture(int year, int month, int day) const
{
    const QString Y = QString::number(year);
    const QString M = twoDigits(month);
    const QString D = twoDigits(day);
    const QString dir = m_pictureDirectory;
    if (dir.isEmpty())
        return {};
    static const QStringList kExtensions{QStringLiteral(".jpg"), QStringLiteral(".jpeg"), QStringLiteral(".bmp")};

    const auto plain = [&](const QString& base) -> QString {
        for (const QString& ext : kExtensions) {
            const QString path = dir + base + ext;
            if (QFileInfo(path).isFile())
                return path;
        }
        return {};
    };

    // The directory is listed once, when the first random candidate is tried.
    QStringList files;
    bool listed = false;
    const auto random = [&](const QStringList& patterns) -> QString {
        if (!listed) {
            files = QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
            listed = true;
        }
        QStringList matches;
        for (const QString& pattern : patterns) {
            const QRegularExpression rx = namePattern(pattern);
            for (const QString& name : files)
                if (rx.match(name).hasMatch())
                    matches << name;
        }
        if (matches.isEmpty())
            return {};
        return dir + matches.at(static_cast<qsizetype>(QRandomGenerator::global()->bounded(matches.size())));
    };
    const auto withExtensions = [](const QString& stem) {
        QStringList patterns;
        for (const QString& ext : kExtensions)
            patterns << stem + ext;
        return patterns;
    };

    const std::function<QString()> candidates[] = {
        [&] { return plain(Y + M + D); },
        [&] { return random(withExtensions(Y + M + D + QStringLiteral("??"))); },
        [&] { return plain(Y + M + QStringLiteral("00")); },
        [&] { return plain(Y + QStringLiteral("0000")); },
        [&] { return plain(QStringLiteral("0000") + M + D); },
        [&] { return plain(QStringLiteral("0000") + M + QStringLiteral("00")); },
        [&] { return plain(QStringLiteral("000000") + D); },
        [&] { return plain(M); },
        [&] { return plain(Y); },
        [&] { return plain(QStringLiteral("D") + D); },
        [&] { return random(withExtensions(QStringLiteral("????") + M + D)); },
        [&] { return random(withExtensions(QStringLiteral("*"))); },
    };
    for (const auto& candidate : candidates) {
        const QString f = candidate();
        if (!f.isEmpty())
            return f;
    }
    return {};
}

void TCalendarForm::ShowCalendarPicture(const QString& f)
{
    if (f == m_currentPictureFile)
        return;
    Label1->show();
    Label2->show();
    repaint();

    const QImage picture = readDisplayPicture(f);
    if (picture.isNull()) {
        showNoPicture();
        return;
    }
    Image1->setPixmap(QPixmap::fromImage(picture));
    m_currentPictureFile = f;
    Image1->setGeometry(ImageLeft, ImageTop, picture.width(), picture.height());
    setWindowWidth(picture.width() + 244);

    Label1->hide();
    Label2->hide();
    repaint();
}

QSize TCalendarForm::pictureDisplaySize(const QSize& pictureSize)
{
    if (pictureSize.isEmpty())
        return {};
    const qint64 pictureWidth = pictureSize.width();
    const qint64 pictureHeight = pictureSize.height();
    qint64 w = std::min<qint64>(pictureWidth, ImageMaxWidth);
    qint64 ht = roundedQuotient(w * pictureHeight, pictureWidth);
    if (ht > ImageMaxHeight) {
        ht = ImageMaxHeight;
        w = roundedQuotient(ImageMaxHeight * pictureWidth, pictureHeight);
    }
    // A very narrow or very flat picture still gets one pixel.
    return {static_cast<int>(std::max<qint64>(w, 1)), static_cast<int>(std::max<qint64>(ht, 1))};
}

void TCalendarForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    UpdateCalendarPicture();
}

void TCalendarForm::setWindowWidth(int width)
{
    setFixedSize(width, ClientHeight);
}

void TCalendarForm::showNoPicture()
{
    Image1->clear();
    m_currentPictureFile.clear();
    Label1->hide();
    Label2->hide();
    setWindowWidth(NarrowWidth);
}

QString calendarStartingDirectory()
{
    const QSettings settings(QStringLiteral("Marrowind"), QStringLiteral("Tidewheel"));
    return settings.value(QStringLiteral("Picture Directory")).toString();
}

QDate FieldDateOr(const kv::data::DataSet& dataSet, const QString& field, const QDate& fallback)
{
    const QDate d = kv::data::valueDate(dataSet.fieldValue(field));
    return d.isValid() ? d : fallback;
}

std::optional<QDate> PickCalendarDate(QWidget* owner, const QDate& start, const QString& pictureDirectory)
{
    TCalendarForm form(owner);
    form.setDate(start);
    form.SetPictureDirectory(pictureDirectory);
    if (showModal(form) != QDialog::Accepted)
        return std::nullopt;
    return form.date();
}

std::optional<QDate> PickCalendarDate(QWidget* owner, const QDate& start)
{
    return PickCalendarDate(owner, start, kv::data::SystemInfo().CalDirectory);
}

}  // namespace kv::common
