#include "tools/catalogue/TransferCommands.h"

#include "tools/catalogue/ToolResponder.h"

#include "common/MessageService.h"
#include "data/Database.h"
#include "data/ProgramDataForm.h"
#include "reference/ImportData.h"
#include "reference/TextLayouts.h"
#include "reference/editors/EditorFamily.h"
#include "reference/editors/ReferenceTransfer.h"

#include <optional>

namespace kv::tools {

const char* const kTransferUsage =
    "       kestrelview-catalogue export DIR TABLE FILE --layout fixed|comma|tab [--header]\n"
    "       kestrelview-catalogue import DIR TABLE FILE --layout fixed|comma|tab [--skip N]\n";

namespace {

using reference::TextLayout;

struct TransferOptions {
    QString command;
    QString directory;
    QString table;
    QString file;
    TextLayout layout = TextLayout::TabDelimited;
    bool header = false;
    int skip = 0;
};

std::optional<TextLayout> layoutFromOption(const QString& name)
{
    const struct {
        const char* option;
        TextLayout layout;
    } layouts[] = {
        {"fixed", TextLayout::FixedLength},
        {"comma", TextLayout::CommaDelimited},
        {"tab", TextLayout::TabDelimited},
    };
    for (const auto& l : layouts)
        if (name == QLatin1String(l.option))
            return l.layout;
    return std::nullopt;
}

// The options, or nothing when the command line is not one of the two forms.
std::optional<TransferOptions> parse(const QStringList& arguments)
{
    if (arguments.size() < 4)
        return std::nullopt;
    TransferOptions o{arguments[0], arguments[1], arguments[2], arguments[3]};
    bool layoutGiven = false;
    for (int i = 4; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == u"--layout" && i + 1 < arguments.size()) {
            const std::optional<TextLayout> layout = layoutFromOption(arguments[++i]);
            if (!layout)
                return std::nullopt;
            o.layout = *layout;
            layoutGiven = true;
        } else if (a == u"--header" && o.command == u"export") {
            o.header = true;
        } else if (a == u"--skip" && o.command == u"import" && i + 1 < arguments.size()) {
            bool ok = false;
            o.skip = arguments[++i].toInt(&ok);
            if (!ok || o.skip < 0)
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (!layoutGiven)
        return std::nullopt;
    return o;
}

int exportRows(data::TProgramDataForm& dm, const reference::EditorFamily& family, const TransferOptions& o,
               QTextStream& out)
{
    const int rows = reference::ExportReferenceRows(dm, family, family.exportSpecs, reference::TextLayoutName(o.layout),
                                                    QString(), o.header, o.file);
    if (rows < 0)
        return 1;
    out << "Exported " << rows << " rows of " << family.fileName << " to " << o.file << "\n";
    return 0;
}

int importRows(data::TProgramDataForm& dm, const reference::EditorFamily& family, const TransferOptions& o,
               QTextStream& out, QTextStream& err)
{
    if (family.importSpecs.isEmpty()) {
        err << "kestrelview-catalogue: " << family.fileName << " offers no import\n";
        return 1;
    }
    dm.ValidateOnPost = true;  // as in the editor
    const reference::ImportResult result = reference::ImportFileIntoTable(
        dm, o.file, QString(), reference::TextLayoutName(o.layout), family.table(dm),
        reference::ImportFieldsInOfferedOrder(family), o.skip, family.importKeyField, family.importTableFile);
    if (!result.completed)
        return 1;
    out << "Imported " << o.file << " into " << family.fileName << ": " << result.appendedRows << " rows appended, "
        << result.updatedLines << " lines updated existing rows, " << result.skippedLines << " lines skipped\n";
    return 0;
}

}  // namespace

bool isTransferCommand(const QString& command) { return command == u"export" || command == u"import"; }

int runTransferCommand(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    const std::optional<TransferOptions> o = parse(arguments);
    if (!o || !isTransferCommand(o->command)) {
        err << "usage:" << QString::fromLatin1(kTransferUsage).mid(6);
        return 2;
    }
    const reference::EditorFamily* family = reference::editorFamilyForTable(o->table);
    if (!family) {
        err << "kestrelview-catalogue: " << o->table << " is not a reference table; one of: "
            << reference::referenceEditorTables().join(QStringLiteral(", ")) << "\n";
        return 2;
    }
    ToolResponder responder(err);
    common::ResponderScope scope(responder);
    common::setLoggingEnabled(false);
    try {
        data::TProgramDataForm dm;
        dm.setDatabase(data::Database::open(o->directory, o->command == u"export"));
        dm.openTables(o->command == u"export");
        return o->command == u"export" ? exportRows(dm, *family, *o, out) : importRows(dm, *family, *o, out, err);
    } catch (const data::EngineError& e) {
        err << "kestrelview-catalogue: " << e.errorStack().join(QStringLiteral("\n  ")) << "\n";
        return 1;
    }
}

}  // namespace kv::tools
