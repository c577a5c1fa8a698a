#pragma once

#include <QDate>
#include <QDialog>
#include <QSize>
#include <QString>

#include <optional>

class QCalendarWidget;
class QLabel;

namespace kv::data {
class DataSet;
}

namespace kv::common {

// The calendar window: a modal month calendar for picking a date, with a
// picture for the selected day beside it, looked up in a picture directory
// (see FindDatePicture). There is no OK button: a double-click on a day (or
// Enter) accepts; closing the window cancels. Without a picture the window
// narrows to the calendar alone.
class TCalendarForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 444;
    static constexpr int ClientHeight = 174;
    static constexpr int NarrowWidth = 228;  // the calendar alone
    static constexpr int ImageLeft = 224;
    static constexpr int ImageTop = 8;
    static constexpr int ImageMaxWidth = 209;
    static constexpr int ImageMaxHeight = 156;

    // Starts with the picture directory of the window's own settings
    // (calendarStartingDirectory); openers replace it with their own.
    explicit TCalendarForm(QWidget* owner = nullptr);

    // The selected day (an invalid date selects today).
    void setDate(const QDate& date);
    QDate date() const;

    // The directory pictures are looked up in; a separator is appended to a
    // directory that does not end in one. Looks up the picture again on the
    // next update.
    void SetPictureDirectory(const QString& directory);
    QString PictureDirectory() const { return m_pictureDirectory; }
    // The full path of the picture on show (empty when none).
    QString CurrentPictureFile() const { return m_currentPictureFile; }
    // The day a picture was last looked up for (invalid: none yet).
    QDate LastShownDate() const { return m_lastShownDate; }

    // Shows the picture for the selected day: runs on every click in the
    // calendar, when it is first shown and when its month changes.
    // Without a directory, or when no picture is found, the window narrows.
    // A day already looked up is not looked up again.
    void UpdateCalendarPicture();

    // The picture for a day; the first of these that yields a file wins
    // (Y the year, M and D two digits; plain names try .jpg, .jpeg, .bmp):
    //   1 YMD   2 a random YMD??.*   3 YM00   4 Y0000   5 0000MD
    //   6 0000M00   7 000000D   8 M   9 Y   10 "D"D
    //   11 a random ????MD.*   12 a random *.jpg/*.jpeg/*.bmp
    // A random candidate draws from the files that match its three patterns
    // (in "??" before the extension each "?" may also stand for nothing).
    // Empty when none yields a file.
    QString FindDatePicture(int year, int month, int day) const;

    // Shows the picture file f at its display size and fits the window
    // to it. The file on show already is not read again. A file that cannot
    // be read shows no picture: the window narrows and stays usable.
    void ShowCalendarPicture(const QString& f);

    // The size a picture of pictureSize is shown at: at most 209 wide and
    // 156 high, keeping its proportions, never enlarged. Empty for an
    // empty picture.
    static QSize pictureDisplaySize(const QSize& pictureSize);

    QCalendarWidget* MonthCalendar1;
    QLabel* Image1;
    QLabel* Label1;
    QLabel* Label2;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setWindowWidth(int width);
    void showNoPicture();

    QString m_pictureDirectory;
    QString m_currentPictureFile;
    QDate m_lastShownDate;
};

// The calendar's own starting directory: the "Picture Directory" value of
// the settings of organisation "Marrowind", application "Tidewheel"
// (empty when missing).
QString calendarStartingDirectory();

// The date in field of the data set's current row; fallback when the field
// is Null or holds no readable date.
QDate FieldDateOr(const kv::data::DataSet& dataSet, const QString& field, const QDate& fallback);

// Every date button opens the calendar here: the window starts at start
// (today when invalid) with pictures from pictureDirectory and opens modally.
// Returns the day the user accepted, or nothing when the window was closed.
std::optional<QDate> PickCalendarDate(QWidget* owner, const QDate& start, const QString& pictureDirectory);
// The same with the calendar directory of the system settings.
std::optional<QDate> PickCalendarDate(QWidget* owner, const QDate& start);

}  // namespace kv::common
