#pragma once

#include <QDialog>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QTimer;

namespace kv::common {

// A small animation of a file search: a magnifying glass circling over a
// folder, painted by the widget itself.
class FileSearchAnimation : public QWidget {
    Q_OBJECT
public:
    explicit FileSearchAnimation(QWidget* parent = nullptr);

    void start();
    void stop();
    bool isRunning() const;
    int frame() const { return m_frame; }
    static constexpr int FrameCount = 12;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer* m_timer;
    int m_frame = 0;
};

// The "Please Wait" status window: a fixed dialog centred on the screen
// with a status line, the product name in a large font, a picture, and a
// blue gauge and a file-search animation that stay hidden until a caller
// shows them. The hidden parts keep their room, so the window never changes
// size.
class TMessageForm : public QDialog {
    Q_OBJECT
public:
    explicit TMessageForm(QWidget* owner = nullptr);

    void setText(const QString& text);
    QString text() const;

    // Shows the animation, running or standing still; false hides it.
    void showAnimation(bool running);
    void hideAnimation();
    // Shows the gauge with its range, at the minimum.
    void showGauge(int minimum, int maximum);
    void hideGauge();
    void setProgress(int value);
    void stepProgress(int by = 1);

    // Shows the window, repaints it and lets pending window events run, so
    // that it is seen before a long operation starts.
    void showAndRepaint();
    // Repaints and lets pending window events run during the operation.
    void refresh();

    QLabel* MessageLabel;
    QLabel* ProductLabel;
    QLabel* PictureImage;
    QProgressBar* ProgressBar;
    FileSearchAnimation* SearchAnimation;

protected:
    void showEvent(QShowEvent* event) override;
};

// The "Messages" progress window of bulk work: a wider fixed dialog centred
// on the screen with a blue gauge and two centred lines, the operation and
// the current item.
class TProcessForm : public QDialog {
    Q_OBJECT
public:
    explicit TProcessForm(QWidget* owner = nullptr);

    void setLine1(const QString& text);
    void setLine2(const QString& text);
    QString line1() const;
    QString line2() const;

    // The gauge runs from 0 to maximum (the number of items) and starts at 0.
    void setMaximum(int maximum);
    int maximum() const;
    int position() const;
    void setPosition(int position);
    // Advances the gauge by one item (never past the maximum).
    void step();

    void showAndRepaint();
    // Repaints and lets pending window events run.
    void processEvents();

    QLabel* Line1Label;
    QLabel* Line2Label;
    QProgressBar* ProgressBar;

protected:
    void showEvent(QShowEvent* event) override;

private:
    int m_maximum = 0;
};

// Owns a window for the duration of a block and closes and destroys it on
// every way out of the block, an exception included.
template <class Form>
class WindowScope {
public:
    explicit WindowScope(QWidget* owner = nullptr)
        : m_form(new Form(owner))
    {
    }
    ~WindowScope()
    {
        if (m_form) {
            m_form->hide();
            delete m_form.data();
        }
    }
    WindowScope(const WindowScope&) = delete;
    WindowScope& operator=(const WindowScope&) = delete;

    // Null only when the owner destroyed the window first.
    Form* get() const { return m_form.data(); }
    Form* operator->() const { return m_form.data(); }
    Form& operator*() const { return *m_form; }

private:
    QPointer<Form> m_form;
};

// The "Please Wait" window with its status line, shown at once.
class StatusWindowScope : public WindowScope<TMessageForm> {
public:
    explicit StatusWindowScope(const QString& text, QWidget* owner = nullptr);
};

// The "Messages" window with its first line, shown at once.
class ProcessWindowScope : public WindowScope<TProcessForm> {
public:
    explicit ProcessWindowScope(const QString& line1, int maximum, QWidget* owner = nullptr);
};

// The picture of the status window, drawn here.
QPixmap statusPicture(const QSize& size);

}  // namespace kv::common
