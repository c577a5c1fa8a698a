// The message service: kinds and buttons, scripted answers, the log file,
// and the modal-window entry point.
#include "common/MessageService.h"
#include "common/ModalWindows.h"

#include <QFile>
#include <QObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kv::common;

namespace {

QStringList readLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

class MessageServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        setLogFile(logPath);
    }
    void TearDown() override { setLogFile(QString()); }

    QTemporaryDir dir;
    QString logPath = dir.filePath(QStringLiteral("logs/deeper/Kestrelview.log"));
};

TEST_F(MessageServiceTest, HelpersAskWithTheKindAndButtonsTheirMessagesCallFor)
{
    ScriptedMessages messages{MessageAnswer::Yes, MessageAnswer::No, MessageAnswer::Cancel};
    showError(QStringLiteral("e"));
    showInformation(QStringLiteral("i"));
    showWarning(QStringLiteral("w"));
    showPlain(QStringLiteral("p"));
    // Scripted answers go to the questions in order; OK boxes take none.
    EXPECT_TRUE(askQuestion(QStringLiteral("q")));
    EXPECT_FALSE(askDestructive(QStringLiteral("d")));
    EXPECT_FALSE(askOkCancel(QStringLiteral("oc")));
    // With the queue empty the box's default (first) button answers.
    EXPECT_EQ(askYesNoCancel(QStringLiteral("ync"), MessageKind::Warning), MessageAnswer::Yes);

    const struct {
        MessageKind kind;
        MessageButtons buttons;
        const char* text;
    } expected[] = {
        {MessageKind::Error, MessageButtons::Ok, "e"},
        {MessageKind::Information, MessageButtons::Ok, "i"},
        {MessageKind::Warning, MessageButtons::Ok, "w"},
        {MessageKind::Plain, MessageButtons::Ok, "p"},
        {MessageKind::Question, MessageButtons::YesNo, "q"},
        {MessageKind::DestructiveQuestion, MessageButtons::YesNo, "d"},
        {MessageKind::Question, MessageButtons::OkCancel, "oc"},
        {MessageKind::Warning, MessageButtons::YesNoCancel, "ync"},
    };
    ASSERT_EQ(messages.messages().size(), static_cast<qsizetype>(std::size(expected)));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const Message& m = messages.messages()[static_cast<qsizetype>(i)];
        EXPECT_EQ(m.kind, expected[i].kind) << expected[i].text;
        EXPECT_EQ(m.buttons, expected[i].buttons) << expected[i].text;
        EXPECT_EQ(m.text, QString::fromUtf8(expected[i].text));
    }
}

TEST_F(MessageServiceTest, BoxesAreTitledKestrelviewUnlessTheCallerNamesATitle)
{
    ScriptedMessages messages{MessageAnswer::No};
    showError(QStringLiteral("plain error"));
    showError(QStringLiteral("Error Copying File: x"), QStringLiteral("Error"));
    EXPECT_FALSE(askQuestion(QStringLiteral("Overwrite Newer File: x?"), QStringLiteral("File Exists")));
    showMessage(MessageKind::Warning, MessageButtons::Ok, QStringLiteral("no title given"), std::nullopt, QString());
    const struct {
        const char* text;
        const char* title;
    } expected[] = {
        {"plain error", "Kestrelview"},
        {"Error Copying File: x", "Error"},
        {"Overwrite Newer File: x?", "File Exists"},
        {"no title given", "Kestrelview"},
    };
    ASSERT_EQ(messages.messages().size(), static_cast<qsizetype>(std::size(expected)));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const Message& m = messages.messages()[static_cast<qsizetype>(i)];
        EXPECT_EQ(m.text, QString::fromUtf8(expected[i].text));
        EXPECT_EQ(m.title, QString::fromUtf8(expected[i].title)) << expected[i].text;
    }
}

TEST_F(MessageServiceTest, AnswersFollowTheButtonsOffered)
{
    ScriptedMessages messages;
    const struct {
        MessageButtons buttons;
        std::optional<MessageAnswer> defaultAnswer;
        std::optional<MessageAnswer> scripted;
        MessageAnswer answer;
    } cases[] = {
        {MessageButtons::YesNo, std::nullopt, std::nullopt, MessageAnswer::Yes},
        {MessageButtons::YesNo, MessageAnswer::No, std::nullopt, MessageAnswer::No},
        {MessageButtons::OkCancel, MessageAnswer::Cancel, std::nullopt, MessageAnswer::Cancel},
        // A default that is not one of the buttons falls back to the first.
        {MessageButtons::OkCancel, MessageAnswer::Yes, std::nullopt, MessageAnswer::Ok},
        // An answer the box cannot give counts as closing it.
        {MessageButtons::YesNo, std::nullopt, MessageAnswer::Ok, MessageAnswer::No},
        {MessageButtons::OkCancel, std::nullopt, MessageAnswer::Yes, MessageAnswer::Cancel},
        {MessageButtons::YesNoCancel, std::nullopt, MessageAnswer::Ok, MessageAnswer::Cancel},
    };
    for (const auto& c : cases) {
        if (c.scripted)
            messages.addAnswer(*c.scripted);
        EXPECT_EQ(showMessage(MessageKind::Question, c.buttons, QStringLiteral("?"), c.defaultAnswer), c.answer)
            << messageAnswerName(c.answer).toStdString();
    }
    EXPECT_EQ(messages.pendingAnswers(), 0);

    // An OK box leaves the scripted answer to the next question.
    messages.addAnswer(MessageAnswer::No);
    EXPECT_EQ(showMessage(MessageKind::Error, MessageButtons::Ok, QStringLiteral("!")), MessageAnswer::Ok);
    EXPECT_FALSE(askQuestion(QStringLiteral("?")));

    // A fixed default answer replaces the boxes' own defaults.
    messages.setDefaultAnswer(MessageAnswer::No);
    EXPECT_FALSE(askQuestion(QStringLiteral("?")));
}

TEST_F(MessageServiceTest, ScopesRestoreTheResponderTheyReplaced)
{
    ScriptedResponder outer;
    {
        ResponderScope outerScope(outer);
        {
            ScriptedMessages inner;
            showError(QStringLiteral("to inner"));
            EXPECT_EQ(inner.texts(), QStringList{QStringLiteral("to inner")});
        }
        showError(QStringLiteral("to outer"));
    }
    EXPECT_EQ(outer.texts(), QStringList{QStringLiteral("to outer")});
    // Without an application there is nothing to click: the unattended
    // responder gives the default answer.
    EXPECT_EQ(&activeResponder(), &unattendedResponder());
    EXPECT_TRUE(askQuestion(QStringLiteral("unattended")));
}

TEST_F(MessageServiceTest, EveryMessageIsLoggedOnOneLine)
{
    ScriptedMessages messages;
    showError(QStringLiteral("First line\rsecond line"));
    askDestructive(QStringLiteral("Delete C:\\Pictures?\r\nSure?"));
    showInformation(QStringLiteral("Done."));
    showError(QStringLiteral("Error Copying File: a.jpg"), QStringLiteral("Error"));

    const QStringList lines = readLines(logPath);
    ASSERT_EQ(lines.size(), 4);
    const QRegularExpression stamp(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} "));
    for (const QString& line : lines)
        EXPECT_TRUE(stamp.match(line).hasMatch()) << qPrintable(line);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(" [Error] First line\\rsecond line"))) << qPrintable(lines[0]);
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(" [DestructiveQuestion] Delete C:\\\\Pictures?\\r\\nSure?")))
        << qPrintable(lines[1]);
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral(" [Information] Done."))) << qPrintable(lines[2]);
    // A title other than the product name is logged after the kind.
    EXPECT_TRUE(lines[3].endsWith(QStringLiteral(" [Error: Error] Error Copying File: a.jpg"))) << qPrintable(lines[3]);

    // The responder gets the text as given; boxes show "\r" as a line break.
    EXPECT_EQ(messages.messages()[0].text, QStringLiteral("First line\rsecond line"));
    EXPECT_EQ(messageDisplayText(messages.messages()[1].text), QStringLiteral("Delete C:\\Pictures?\nSure?"));
}

TEST_F(MessageServiceTest, DeferredMessagesHoldBackBoxesWithoutAChoiceUntilReleased)
{
    ScriptedMessages messages{MessageAnswer::No};
    {
        DeferredMessages held;
        showError(QStringLiteral("Please Enter A Description For This Place!"));
        showInformation(QStringLiteral("Done."));
        // Nothing waits for the user yet; the log has them at once.
        EXPECT_TRUE(messages.messages().isEmpty());
        EXPECT_EQ(held.held(), 2);
        EXPECT_EQ(readLines(logPath).size(), 2);
        // A question needs its answer now.
        EXPECT_FALSE(askQuestion(QStringLiteral("Save?")));
        EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Save?")});
        held.release();
        EXPECT_EQ(messages.texts(), QStringList({QStringLiteral("Save?"),
                                                 QStringLiteral("Please Enter A Description For This Place!"),
                                                 QStringLiteral("Done.")}));
        // Released: boxes are shown at once again.
        showError(QStringLiteral("After"));
        EXPECT_EQ(messages.texts().constLast(), QStringLiteral("After"));
    }
    {
        // The end of the scope releases what is held.
        DeferredMessages held;
        showError(QStringLiteral("At the end"));
    }
    EXPECT_EQ(messages.texts().constLast(), QStringLiteral("At the end"));
    EXPECT_EQ(readLines(logPath).size(), 5);  // each logged once
}

TEST_F(MessageServiceTest, AnUnwritableLogNeverStopsAMessage)
{
    // A folder where the log file should be cannot be opened as a file.
    setLogFile(dir.path());
    ScriptedMessages messages{MessageAnswer::No};
    EXPECT_FALSE(askQuestion(QStringLiteral("Still asked?")));
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Still asked?")});

    setLogFile(logPath);
    setLoggingEnabled(false);
    showError(QStringLiteral("not logged"));
    setLoggingEnabled(true);
    EXPECT_FALSE(QFile::exists(logPath));
}

TEST_F(MessageServiceTest, TheDefaultLogLivesInTheSharedDataFolder)
{
    QStandardPaths::setTestModeEnabled(true);
    setLogFile(QString());
    const QString expected = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                             QStringLiteral("/Kestrelview/Kestrelview.log");
    EXPECT_EQ(defaultLogFile(), expected);
    EXPECT_EQ(logFile(), expected);
    setLogFile(logPath);
    EXPECT_EQ(logFile(), logPath);
}

TEST(ModalWindows, AHandlerDecidesInsteadOfShowingAndScopesNest)
{
    QObject window;
    window.setObjectName(QStringLiteral("TPlaceForm"));
    int shown = 0;
    const auto show = [&shown] {
        ++shown;
        return 7;
    };
    EXPECT_FALSE(hasModalHandler());
    EXPECT_EQ(runModal(window, show), 7);
    EXPECT_EQ(shown, 1);

    QStringList opened;
    {
        ModalHandlerScope outer([&opened](QObject& w) {
            opened << w.objectName();
            return 1;
        });
        EXPECT_EQ(runModal(window, show), 1);
        {
            ModalHandlerScope inner([](QObject&) { return 0; });
            EXPECT_EQ(runModal(window, show), 0);
        }
        EXPECT_EQ(runModal(window, show), 1);
    }
    EXPECT_EQ(opened, QStringList({QStringLiteral("TPlaceForm"), QStringLiteral("TPlaceForm")}));
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(hasModalHandler());
}

}  // namespace
