// Message boxes, the modal-window entry point, the two progress windows and
// the control locking helpers.
#include "TestApplication.h"

#include "common/ControlLocking.h"
#include "common/DataControls.h"
#include "common/MessageBoxes.h"
#include "common/ShowModal.h"
#include "common/StatusWindows.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

using namespace kv::common;

namespace {

class WindowTest : public ::testing::Test {
protected:
    WindowTest() { kv::test::testApplication<QApplication>(); }
    void SetUp() override { setLogFile(logDir.filePath(QStringLiteral("Kestrelview.log"))); }
    void TearDown() override { setLogFile(QString()); }

    QTemporaryDir logDir;
};

// Runs pending events for a while (timers included).
void runEventsFor(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

QList<TMessageForm*> visibleStatusWindows()
{
    QList<TMessageForm*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<TMessageForm*>(w); f && f->isVisible())
            out << f;
    return out;
}

// --- message boxes ---

TEST_F(WindowTest, MessageBoxesCarryTheTitleIconAndButtonsOfTheirKind)
{
    const struct {
        MessageKind kind;
        MessageButtons buttons;
        MessageAnswer defaultAnswer;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons standard;
        QMessageBox::StandardButton escape;
    } cases[] = {
        {MessageKind::Error, MessageButtons::Ok, MessageAnswer::Ok, QMessageBox::Critical, QMessageBox::Ok,
         QMessageBox::Ok},
        {MessageKind::Information, MessageButtons::Ok, MessageAnswer::Ok, QMessageBox::Information, QMessageBox::Ok,
         QMessageBox::Ok},
        {MessageKind::Warning, MessageButtons::OkCancel, MessageAnswer::Cancel, QMessageBox::Warning,
         QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel},
        {MessageKind::Question, MessageButtons::YesNo, MessageAnswer::Yes, QMessageBox::Question,
         QMessageBox::Yes | QMessageBox::No, QMessageBox::No},
        // Questions before destructive actions carry the stop icon.
        {MessageKind::DestructiveQuestion, MessageButtons::YesNo, MessageAnswer::No, QMessageBox::Critical,
         QMessageBox::Yes | QMessageBox::No, QMessageBox::No},
        {MessageKind::Plain, MessageButtons::YesNoCancel, MessageAnswer::No, QMessageBox::NoIcon,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel},
    };
    for (const auto& c : cases) {
        const Message m{c.kind, c.buttons, QStringLiteral("Line one\rLine <two>"), c.defaultAnswer};
        const auto box = createMessageBox(m);
        const std::string name = messageKindName(c.kind).toStdString();
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Kestrelview")) << name;
        EXPECT_EQ(box->icon(), c.icon) << name;
        EXPECT_EQ(box->standardButtons(), c.standard) << name;
        EXPECT_EQ(box->standardButton(box->defaultButton()), messageBoxButton(c.defaultAnswer)) << name;
        EXPECT_EQ(box->standardButton(box->escapeButton()), c.escape) << name;
        EXPECT_EQ(box->text(), QStringLiteral("Line one\nLine <two>")) << name;
        EXPECT_EQ(box->textFormat(), Qt::PlainText) << name;
    }
    // A box the caller titled carries that title.
    Message titled{MessageKind::Question, MessageButtons::YesNo, QStringLiteral("Overwrite?"), MessageAnswer::Yes};
    titled.title = QStringLiteral("File Exists");
    EXPECT_EQ(createMessageBox(titled)->windowTitle(), QStringLiteral("File Exists"));
}

TEST_F(WindowTest, TheMessageBoxIsTheDefaultResponderAndReportsTheButtonPressed)
{
    ASSERT_EQ(&activeResponder(), static_cast<MessageResponder*>(&messageBoxResponder()));

    QString seenTitle;
    QTimer clicker;
    clicker.setInterval(10);
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seenTitle = box->windowTitle();
            box->button(QMessageBox::No)->click();
        }
    });
    clicker.start();
    EXPECT_FALSE(askDestructive(QStringLiteral("Delete this place?")));
    clicker.stop();
    EXPECT_EQ(seenTitle, QStringLiteral("Kestrelview"));

    // A scripted responder takes over while installed.
    ScriptedMessages scripted{MessageAnswer::Yes};
    EXPECT_TRUE(askQuestion(QStringLiteral("Scripted?")));
}

// --- modal windows ---

TEST_F(WindowTest, ShowModalLetsAHandlerDecideWithoutShowing)
{
    QDialog dialog;
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);

    bool wasVisible = true;
    {
        ModalHandlerScope scope([&](QObject& window) {
            auto& d = static_cast<QDialog&>(window);
            wasVisible = d.isVisible();
            d.findChild<QPushButton*>()->click();
            return d.result();
        });
        EXPECT_EQ(showModal(dialog), QDialog::Accepted);
    }
    EXPECT_FALSE(wasVisible);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    {
        ModalHandlerScope scope([](QObject&) { return QDialog::Rejected; });
        EXPECT_EQ(showModal(dialog), QDialog::Rejected);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }

    // Without a handler the window really runs until it is closed.
    QTimer::singleShot(20, ok, &QPushButton::click);
    EXPECT_EQ(showModal(dialog), QDialog::Accepted);
}

// --- status window ---

TEST_F(WindowTest, StatusWindowShowsItsPartsAndKeepsItsSize)
{
    TMessageForm form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Kestrelview"));
    EXPECT_EQ(form.ProductLabel->text(), QStringLiteral("Kestrelview"));
    EXPECT_GT(form.ProductLabel->font().pointSize(), QApplication::font().pointSize() * 3 / 2);
    EXPECT_FALSE(form.PictureImage->pixmap().isNull());
    EXPECT_FALSE(form.isModal());
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(form.minimumSize(), form.maximumSize());

    form.setText(QStringLiteral("Loading Pictures Please Wait"));
    form.showAndRepaint();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.text(), QStringLiteral("Loading Pictures Please Wait"));
    EXPECT_EQ(form.MessageLabel->text(), form.text());
    EXPECT_FALSE(form.ProgressBar->isVisible());
    EXPECT_FALSE(form.SearchAnimation->isVisible());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((form.geometry().center() - screen.center()).manhattanLength(), 2);

    const QSize size = form.size();
    form.showGauge(10, 20);
    form.showAnimation(false);
    form.refresh();
    EXPECT_TRUE(form.ProgressBar->isVisible());
    EXPECT_TRUE(form.SearchAnimation->isVisible());
    EXPECT_EQ(form.size(), size);
    EXPECT_EQ(form.ProgressBar->minimum(), 10);
    EXPECT_EQ(form.ProgressBar->maximum(), 20);
    EXPECT_EQ(form.ProgressBar->value(), 10);
    form.setProgress(15);
    EXPECT_EQ(form.ProgressBar->value(), 15);
    form.setProgress(99);
    EXPECT_EQ(form.ProgressBar->value(), 20);
    form.hideGauge();
    form.hideAnimation();
    EXPECT_FALSE(form.ProgressBar->isVisible());
    EXPECT_EQ(form.size(), size);
}

TEST_F(WindowTest, TheGaugesAreBlue)
{
    TMessageForm status;
    TProcessForm process;
    for (QProgressBar* bar : {status.ProgressBar, process.ProgressBar}) {
        bar->setRange(0, 10);
        bar->setValue(10);
        bar->resize(200, 18);
        bar->show();
        const QImage image = bar->grab().toImage();
        EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() / 2), QColor(0, 0, 255));
    }
}

TEST_F(WindowTest, TheSearchAnimationMovesOnlyWhileRunning)
{
    TMessageForm form;
    form.showAnimation(true);
    form.showAndRepaint();
    EXPECT_TRUE(form.SearchAnimation->isRunning());
    const int start = form.SearchAnimation->frame();
    runEventsFor(600);
    EXPECT_NE(form.SearchAnimation->frame(), start);

    form.showAnimation(false);
    EXPECT_TRUE(form.SearchAnimation->isVisible());
    const int stopped = form.SearchAnimation->frame();
    runEventsFor(250);
    EXPECT_EQ(form.SearchAnimation->frame(), stopped);
    const QImage image = form.SearchAnimation->grab().toImage();
    EXPECT_NE(image.pixelColor(0, 0), image.pixelColor(image.width() / 2, image.height() / 2));
}

TEST_F(WindowTest, StatusWindowScopeClosesTheWindowOnEveryPath)
{
    QPointer<TMessageForm> seen;
    {
        StatusWindowScope status(QStringLiteral("Packing Tables Please Wait"));
        seen = status.get();
        EXPECT_TRUE(status->isVisible());
        EXPECT_EQ(status->text(), QStringLiteral("Packing Tables Please Wait"));
    }
    EXPECT_TRUE(seen.isNull());

    try {
        StatusWindowScope status(QStringLiteral("Clearing Users Table."));
        seen = status.get();
        status->showGauge(0, 3);
        ASSERT_EQ(visibleStatusWindows().size(), 1);
        throw std::runtime_error("engine error");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(seen.isNull());
    EXPECT_TRUE(visibleStatusWindows().isEmpty());

    // An owner that goes first takes the window with it; the scope copes.
    auto owner = std::make_unique<QWidget>();
    {
        StatusWindowScope status(QStringLiteral("owned"), owner.get());
        owner.reset();
        EXPECT_EQ(status.get(), nullptr);
    }
}

// --- progress window ---

TEST_F(WindowTest, ProgressWindowCountsItemsUnderTwoLines)
{
    TProcessForm form;
    TMessageForm status;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Messages"));
    EXPECT_GT(form.width(), status.width());
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.Line1Label->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    EXPECT_EQ(form.Line2Label->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);

    ProcessWindowScope scope(QStringLiteral("Loading Database Please Wait"), 3);
    TProcessForm& p = *scope;
    EXPECT_TRUE(p.isVisible());
    EXPECT_EQ(p.line1(), QStringLiteral("Loading Database Please Wait"));
    EXPECT_EQ(p.maximum(), 3);
    EXPECT_EQ(p.position(), 0);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((p.geometry().center() - screen.center()).manhattanLength(), 2);
    for (const char* dir : {"/pictures/a", "/pictures/b", "/pictures/c", "/pictures/d"}) {
        p.setLine2(QString::fromUtf8(dir));
        p.step();
        p.processEvents();
    }
    EXPECT_EQ(p.line2(), QStringLiteral("/pictures/d"));
    EXPECT_EQ(p.position(), 3);  // never past the maximum

    // No items: the gauge shows as done rather than busy.
    p.setMaximum(0);
    EXPECT_EQ(p.maximum(), 0);
    EXPECT_EQ(p.ProgressBar->value(), p.ProgressBar->maximum());
    EXPECT_GT(p.ProgressBar->maximum(), p.ProgressBar->minimum());
}

// --- control locking ---

enum class Locking { ReadOnlyPainted, ReadOnlyBlackPainted, DisabledBlackPainted, Disabled, ReadOnlyColourKept };

bool isReadOnly(QWidget* w)
{
    if (auto* lookup = qobject_cast<DBLookupComboBox*>(w))
        return lookup->isReadOnly();
    if (auto* radios = qobject_cast<DBRadioGroup*>(w))
        return radios->isReadOnly();
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->isReadOnly();
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(w))
        return spin->isReadOnly();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(w))
        return memo->isReadOnly();
    ADD_FAILURE() << "no read-only state";
    return false;
}

TEST_F(WindowTest, LockingHelpersSetStateAndColourByKind)
{
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    ASSERT_NE(buttonFace, QColor(Qt::white));
    using Helper = void (*)(QWidget*, bool);
    const struct {
        const char* kind;
        std::function<QWidget*()> make;
        Helper helper;
        Locking locking;
    } cases[] = {
        {"edit", [] { return new QLineEdit; }, SetEditReadOnly, Locking::ReadOnlyPainted},
        {"masked edit",
         [] {
             auto* e = new QLineEdit;
             e->setInputMask(QStringLiteral("99/99/9999"));
             return e;
         },
         SetEditReadOnly, Locking::ReadOnlyPainted},
        {"spin edit", [] { return new QSpinBox; }, SetEditReadOnly, Locking::ReadOnlyPainted},
        {"data-bound edit", [] { return new DBEdit; }, SetEditReadOnly, Locking::ReadOnlyPainted},
        {"data-bound memo", [] { return new DBMemo; }, SetEditReadOnly, Locking::ReadOnlyPainted},
        {"lookup combo box", [] { return new DBLookupComboBox; }, SetEditReadOnly, Locking::ReadOnlyBlackPainted},
        {"combo box", [] { return new QComboBox; }, SetControlEnabled, Locking::DisabledBlackPainted},
        {"bit button", [] { return new QPushButton; }, SetControlEnabled, Locking::Disabled},
        {"data-bound check box", [] { return new DBCheckBox; }, SetControlEnabled, Locking::Disabled},
        {"data-bound radio group", [] { return new DBRadioGroup; }, SetEditReadOnly, Locking::ReadOnlyColourKept},
    };
    for (const auto& c : cases) {
        std::unique_ptr<QWidget> w(c.make());
        const QColor originalBase = w->palette().color(QPalette::Base);
        for (bool locked : {true, false, true}) {
            c.helper(w.get(), locked);
            const QString where = QStringLiteral("%1, locked %2").arg(QString::fromUtf8(c.kind)).arg(locked);
            const QColor base = w->palette().color(QPalette::Base);
            const QColor expectedBase = locked ? buttonFace : QColor(Qt::white);
            switch (c.locking) {
            case Locking::ReadOnlyPainted:
                EXPECT_EQ(isReadOnly(w.get()), locked) << qPrintable(where);
                EXPECT_TRUE(w->isEnabled()) << qPrintable(where);
                EXPECT_EQ(base, expectedBase) << qPrintable(where);
                break;
            case Locking::ReadOnlyBlackPainted:
            case Locking::DisabledBlackPainted:
                if (c.locking == Locking::ReadOnlyBlackPainted) {
                    EXPECT_EQ(isReadOnly(w.get()), locked) << qPrintable(where);
                    EXPECT_TRUE(w->isEnabled()) << qPrintable(where);
                } else {
                    EXPECT_EQ(w->isEnabled(), !locked) << qPrintable(where);
                }
                EXPECT_EQ(base, expectedBase) << qPrintable(where);
                EXPECT_EQ(w->palette().color(QPalette::Button), expectedBase) << qPrintable(where);
                for (auto group : {QPalette::Active, QPalette::Disabled})
                    for (auto role : {QPalette::Text, QPalette::ButtonText})
                        EXPECT_EQ(w->palette().color(group, role), QColor(Qt::black)) << qPrintable(where);
                break;
            case Locking::Disabled:
                EXPECT_EQ(w->isEnabled(), !locked) << qPrintable(where);
                break;
            case Locking::ReadOnlyColourKept:
                EXPECT_EQ(isReadOnly(w.get()), locked) << qPrintable(where);
                EXPECT_TRUE(w->isEnabled()) << qPrintable(where);
                EXPECT_EQ(base, originalBase) << qPrintable(where);
                break;
            }
        }
    }
}

TEST_F(WindowTest, ALockedLookupComboBoxCannotBeChanged)
{
    DBLookupComboBox combo;
    combo.addItems({QStringLiteral("Family"), QStringLiteral("Friends")});
    combo.setCurrentIndex(0);
    combo.show();
    SetEditReadOnly(&combo, true);
    combo.showPopup();
    EXPECT_FALSE(combo.view()->isVisible());
    QTest::keyClick(&combo, Qt::Key_Down);
    EXPECT_EQ(combo.currentIndex(), 0);

    SetEditReadOnly(&combo, false);
    QTest::keyClick(&combo, Qt::Key_Down);
    EXPECT_EQ(combo.currentIndex(), 1);
}

}  // namespace
