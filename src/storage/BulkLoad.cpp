#include "storage/BulkLoad.h"

#include "common/DateText.h"
#include "common/FileOperations.h"
#include "data/Database.h"
#include "data/FieldValue.h"
#include "data/ProgramDataForm.h"
#include "data/SystemInfo.h"
#include "pictures/ImageFiles.h"
#include "pictures/Metadata.h"
#include "pictures/Previews.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace kv::storage {

namespace {

constexpr const char* kFileMasks = "*.jpg;*.jpeg;*.bmp";
// How many files the workers decode ahead of the posting.
constexpr int kFilesAhead = 4;

PauseEditor& installedPauseEditor()
{
    static PauseEditor editor;
    return editor;
}

QString withPath(const char* pattern, const QString& path)
{
    return QString::fromLatin1(pattern).replace(QStringLiteral("%s%"), path);
}

void report(const std::function<void(const QString&)>& line, const QString& text)
{
    if (line)
        line(text);
}

// The preview file's bytes for a picture file as the preview writers make
// it; the error image's preview when the file cannot be decoded.
QByteArray previewOf(const QString& file, int boxWidth, int boxHeight, const QString& key)
{
    return pictures::PreviewBytes(
        pictures::LoadAndFit(file, boxWidth, boxHeight, true, pictures::kPreviewEnlargement), key);
}

// The same directory, however it is written.
bool sameDirectory(const QString& a, const QString& b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    return !ca.isEmpty() && ca == cb;
}

// Puts the picture table's record checks off while a file is entered, on
// again however the block is left.
class ValidationOff {
public:
    explicit ValidationOff(data::TProgramDataForm& dm) : m_dm(dm), m_was(dm.ValidateOnPost) { dm.ValidateOnPost = false; }
    ~ValidationOff() { m_dm.ValidateOnPost = m_was; }
    ValidationOff(const ValidationOff&) = delete;
    ValidationOff& operator=(const ValidationOff&) = delete;

private:
    data::TProgramDataForm& m_dm;
    bool m_was;
};

void postOrFail(data::Table& t)
{
    if (!t.post())
        throw data::EngineError(QStringLiteral("Could not post a row of ") + t.tableName());
}

// One link row per ID to the new picture.
void addLinks(data::Table& t, const char* idField, const char* pictureField, const std::vector<qint64>& ids,
              qint64 picture)
{
    for (qint64 id : ids) {
        if (!t.insert())
            throw data::EngineError(QStringLiteral("Could not add a row to ") + t.tableName());
        t.setFieldValue(QString::fromLatin1(idField), id);
        t.setFieldValue(QString::fromLatin1(pictureField), picture);
        postOrFail(t);
    }
}

QVariant idOrNull(qint64 id)
{
    return id < 0 ? QVariant() : QVariant(id);
}

}  // namespace

PauseEditor setPauseEditor(PauseEditor editor)
{
    PauseEditor previous = std::move(installedPauseEditor());
    installedPauseEditor() = std::move(editor);
    return previous;
}

const PauseEditor& pauseEditor()
{
    return installedPauseEditor();
}

// Decodes and fits the previews of the files to be entered, a few files
// ahead of the posting, on worker threads. take() waits for a file's
// preview; stop() drops what has not started and waits for the rest.
class BulkLoader::Workers {
public:
    Workers(QStringList files, int threads, int boxWidth, int boxHeight, QString key, std::atomic<bool>& abort)
        : m_files(std::move(files)), m_results(static_cast<size_t>(m_files.size())), m_box(boxWidth, boxHeight),
          m_key(std::move(key)), m_abort(abort)
    {
        for (int i = 0; i < threads; ++i)
            m_threads.emplace_back([this] { run(); });
    }
    ~Workers() { stop(); }
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

    // Nothing when the load was aborted before the file was decoded; empty
    // bytes when the file did not decode.
    std::optional<QByteArray> take(int index)
    {
        std::unique_lock lock(m_mutex);
        m_taken = index;
        m_changed.notify_all();
        auto& slot = m_results[static_cast<size_t>(index)];
        m_changed.wait(lock, [&] { return slot.has_value() || (stopping() && m_next <= index); });
        std::optional<QByteArray> bytes = std::move(slot);
        slot.reset();
        return bytes;
    }

    void stop()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_changed.notify_all();
        for (auto& thread : m_threads)
            if (thread.joinable())
                thread.join();
        m_threads.clear();
    }

private:
    void run()
    {
        while (true) {
            int index = 0;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [&] { return stopping() || m_next - m_taken <= kFilesAhead; });
                if (stopping() || m_next >= m_files.size())
                    return;
                index = static_cast<int>(m_next++);
            }
            // A file that does not decode is left to the posting thread: the
            // error image draws text, which stays on the application's thread.
            bool ok = false;
            const QImage bitmap = pictures::LoadAndFit(m_files[index], m_box.width(), m_box.height(), true,
                                                       pictures::kPreviewEnlargement, &ok);
            QByteArray bytes = ok ? pictures::PreviewBytes(bitmap, m_key) : QByteArray();
            {
                std::lock_guard lock(m_mutex);
                m_results[static_cast<size_t>(index)] = std::move(bytes);
            }
            m_changed.notify_all();
        }
    }
    bool stopping() const { return m_stopping || m_abort; }

    const QStringList m_files;
    std::vector<std::optional<QByteArray>> m_results;
    const QSize m_box;
    const QString m_key;
    std::atomic<bool>& m_abort;
    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    qsizetype m_next = 0;
    qsizetype m_taken = 0;
    bool m_stopping = false;
};

BulkLoader::BulkLoader(data::TProgramDataForm& dm)
    : pause(pauseEditor()), m_dm(dm), m_threads(std::max(1, static_cast<int>(std::thread::hardware_concurrency())))
{
}

BulkLoader::~BulkLoader() = default;

QStringList BulkLoader::check(const BulkLoadDefaults& d, Mode mode) const
{
    QStringList out;
    if (d.description.trimmed().isEmpty())
        out << QStringLiteral("Please Enter A Default Description To Load For These Pictures!");
    if (!d.useFileDate && !common::IsShortDateText(d.dateText))
        out << QStringLiteral("Please Enter A Default Date The Pictures Were Taken or Select Use File Date!");
    const std::pair<qint64, const char*> required[] = {
        {d.place, "Please Select The Default Place Where The Pictures Were Taken!"},
        {d.category, "Please Select The Default Category Of The Pictures!"},
        {d.photographer, "Please Select The Default Photographer Taking The Pictures!"},
        {d.rating, "Please Select The Default Rating For The Pictures!"},
    };
    for (const auto& [id, message] : required)
        if (id < 0)
            out << QString::fromLatin1(message);
    if (mode == Mode::Load) {
        if (d.mediaType < 0)
            out << QStringLiteral("Please Select The Default Media Type For The Pictures!");
        if (d.storageLocation < 0) {
            out << QStringLiteral("Please Select The Default Storage Location For The Pictures!");
        } else {
            const auto found = locations({d.storageLocation});
            const QString directory = found.empty() ? QString() : found.front().directory;
            if (directory.trimmed().isEmpty())
                out << QStringLiteral("Error: No Directory is Defined For This Storage Location");
            else if (!QFileInfo(directory).isDir())
                out << withPath("Error: Directory: %s% Does Not Exist", directory);
            else if (sameDirectory(directory, data::SystemInfo().PreviewDir))
                out << withPath(kPreviewDirectoryLine, directory);
        }
    }
    if (out.isEmpty()) {
        const QString refusal = previewDirectoryRefusal();
        if (!refusal.isEmpty())
            out << refusal;
    }
    return out;
}

QString BulkLoader::previewDirectoryRefusal() const
{
    const QString directory = data::SystemInfo().PreviewDir;
    if (directory.trimmed().isEmpty())
        return QStringLiteral("Error: No Preview Directory Is Set");
    if (!QDir().mkpath(directory))
        return withPath("Error: The Preview Directory %s% Could Not Be Made", directory);
    QTemporaryFile probe(QDir(directory).filePath(QStringLiteral("kv-write-test-XXXXXX")));
    if (!probe.open())
        return withPath("Error: The Preview Directory %s% Cannot Be Written", directory);
    return QString();
}

std::vector<BulkLocation> BulkLoader::locations(const std::vector<qint64>& ids) const
{
    std::vector<BulkLocation> out;
    if (ids.empty())
        return out;
    // The IDs are numbers, never text read from a window.
    QStringList list;
    for (qint64 id : ids)
        list << QString::number(id);
    data::LocalSqlResult result = m_dm.KestrelviewDatabase()->runLocalSql(
        QStringLiteral("Select SL.StorageLocationDescriptio, SL.StorageLocationID, SL.MediaType, SL.Directory "
                       "From \"StorageLocation.db\" SL Where (SL.StorageLocationID In (") +
        list.join(QLatin1Char(',')) + QStringLiteral("))"));
    while (result.rows && result.rows->step())
        out.push_back({.id = data::valueInteger(result.rows->column(1), -1),
                       .mediaType = data::valueInteger(result.rows->column(2), -1),
                       .description = data::valueText(result.rows->column(0)),
                       .directory = data::valueText(result.rows->column(3))});
    return out;
}

QSet<QString> BulkLoader::cataloguedNames(qint64 location) const
{
    // Folded by the engine itself, as the check inside each file's
    // transaction folds.
    data::Statement& st = m_dm.KestrelviewDatabase()->preparedLocalSql(
        QStringLiteral("Select Upper(FileName) From \"PictureInfo.db\" Where StorageLocationID = ?"));
    st.bind(1, location);
    QSet<QString> names;
    while (st.step())
        names.insert(data::valueText(st.column(0)));
    st.reset();
    return names;
}

bool BulkLoader::load(BulkLoadDefaults& defaults, QStringList& refusal)
{
    refusal = check(defaults, Mode::Load);
    if (!refusal.isEmpty())
        return false;
    m_errors.clear();
    m_loaded = 0;
    m_abort = false;
    const auto found = locations({defaults.storageLocation});
    if (found.empty())
        return false;
    report(progress.line1, QStringLiteral("Loading Database Please Wait"));
    loadLocation(defaults, found.front(), QString::fromLatin1(kLoadAbortedLine));
    return true;
}

bool BulkLoader::scan(BulkLoadDefaults& defaults, const std::vector<qint64>& ids, QStringList& refusal)
{
    refusal = check(defaults, Mode::Scan);
    if (!refusal.isEmpty())
        return false;
    m_errors.clear();
    m_loaded = 0;
    m_abort = false;
    for (const BulkLocation& location : locations(ids)) {
        if (!QFileInfo(location.directory).isDir()) {
            m_errors << withPath(kMissingDirectoryLine, location.directory);
            continue;
        }
        if (sameDirectory(location.directory, data::SystemInfo().PreviewDir)) {
            m_errors << withPath(kPreviewDirectoryLine, location.directory);
            continue;
        }
        report(progress.line1, QStringLiteral("Scanning For Pictures : ") + location.description);
        report(progress.line2, location.directory);
        defaults.mediaType = location.mediaType;
        defaults.storageLocation = location.id;
        if (!loadLocation(defaults, location, QString::fromLatin1(kScanAbortedLine)))
            break;
    }
    return true;
}

bool BulkLoader::loadLocation(BulkLoadDefaults& defaults, const BulkLocation& location, const QString& abortLine)
{
    QStringList files;
    common::ListFiles(location.directory, QString::fromLatin1(kFileMasks), false, files);
    if (progress.start)
        progress.start(static_cast<int>(files.size()));
    QSet<QString> catalogued = cataloguedNames(location.id);

    // The files to be entered, in order: not catalogued, and not a second
    // name that folds like an earlier one (a.jpg then A.JPG).
    QSet<QString> seen = catalogued;
    QStringList fresh;
    for (const QString& file : files) {
        const QString folded = QFileInfo(file).fileName().toUpper();
        if (!seen.contains(folded)) {
            seen.insert(folded);
            fresh << file;
        }
    }
    const data::TSystemInfo& info = data::SystemInfo();
    const int boxWidth = static_cast<int>(info.PreviewSizeX);
    const int boxHeight = static_cast<int>(info.PreviewSizeY);
    std::optional<Workers> workers;
    if (m_threads > 1 && fresh.size() > 1)
        workers.emplace(fresh, m_threads, boxWidth, boxHeight, info.EncryptionKey, m_abort);

    int freshIndex = 0;
    for (const QString& file : files) {
        if (m_abort) {
            m_errors << abortLine;
            return false;
        }
        if (progress.step)
            progress.step();
        const QString folded = QFileInfo(file).fileName().toUpper();
        if (catalogued.contains(folded)) {
            m_errors << withPath(kAlreadyExistsLine, file);
            continue;
        }
        // Only the first of the names folding alike reaches this point.
        const int index = freshIndex++;
        std::optional<QByteArray> preview;
        if (workers)
            preview = workers->take(index);
        if (!QFileInfo(file).isFile()) {
            m_errors << withPath(kFileGoneLine, file);
            catalogued.insert(folded);  // its later namesakes are not entered either
            continue;
        }
        if (!workers || (preview && preview->isEmpty()))
            preview = previewOf(file, boxWidth, boxHeight, info.EncryptionKey);
        if (!preview) {
            m_errors << abortLine;
            return false;
        }
        const PauseResult result = enterFile(defaults, file, *preview, catalogued);
        if (result == PauseResult::StopPausing) {
            m_errors << QString::fromLatin1(kPausingOffLine);
            defaults.pauseAfterEach = false;
        } else if (result == PauseResult::Abort) {
            m_errors << abortLine;
            m_abort = true;
            return false;
        }
    }
    return true;
}

PauseResult BulkLoader::enterFile(BulkLoadDefaults& d, const QString& file, const QByteArray& preview,
                                  QSet<QString>& catalogued)
{
    report(progress.line2, QStringLiteral("Inserting Kestrelview Into Database"));
    const QFileInfo info(file);
    const QString name = info.fileName();
    QString description = d.description;
    if (d.useTitleMetadata) {
        const QString title = pictures::MetadataTitle(file);
        if (!title.isEmpty())
            description = title;
    }
    QString comments = d.comments;
    if (d.useCommentMetadata) {
        const QString comment = pictures::MetadataComment(file);
        if (!comment.isEmpty())
            comments = comment;
    }
    // The date stays a date: the file's last-write day, or the typed text.
    const QDate date = d.useFileDate ? info.lastModified().date() : common::ReadShortDateText(d.dateText);

    ValidationOff validation(m_dm);
    data::Database& db = *m_dm.KestrelviewDatabase();
    bool duplicate = false;
    qint64 pictureId = -1;
    QString previewFile;
    try {
        m_dm.InOneTransaction([&] {
            // Under the write lock: another workstation may have entered the
            // same file since the catalogued names were read.
            data::Statement& existing = db.preparedLocalSql(
                QStringLiteral("Select PictureID From \"PictureInfo.db\" "
                               "Where (Upper(FileName) = Upper(?)) And (StorageLocationID = ?)"));
            existing.bind(1, name);
            existing.bind(2, d.storageLocation);
            duplicate = existing.step();
            existing.reset();
            if (duplicate)
                return;
            data::Table& t = m_dm.PictureInfoTable;
            if (!t.insert())
                throw data::EngineError(QStringLiteral("Could not add a picture row"));
            const std::pair<const char*, QVariant> values[] = {
                {"PictureDescription", description.left(t.fieldWidth(QStringLiteral("PictureDescription")))},
                {"DateTaken", date},
                {"PlaceID", idOrNull(d.place)},
                {"CatagoryID", idOrNull(d.category)},
                {"SubCatagoryID", idOrNull(d.subCategory)},
                {"PhotograherID", idOrNull(d.photographer)},
                {"RatingID", idOrNull(d.rating)},
                {"MediaTypeID", idOrNull(d.mediaType)},
                {"StorageLocationID", idOrNull(d.storageLocation)},
                {"FileName", name},
                {"Slide", d.slide},
                {"PageName", d.page},
                {"PictureLocation", d.pictureLocation},
                {"TimeIndex", d.timeIndex},
                {"TimeLength", d.timeLength},
                {"PictureComments", comments},
            };
            for (const auto& [field, value] : values)
                t.setFieldValue(QString::fromLatin1(field), value);
            postOrFail(t);
            pictureId = data::readInteger(t, QStringLiteral("PictureID"));

            report(progress.line2, QStringLiteral("Creating Preview Image"));
            previewFile = pictures::PreviewPath(pictureId);
            common::WriteFileReplacing(previewFile, preview);
            t.edit();
            t.setFieldValue(QStringLiteral("PreviewAvailable"), true);
            postOrFail(t);

            report(progress.line2, QStringLiteral("Inserting Person Data Into Database"));
            addLinks(m_dm.PicturePeopleTable, "PersonID", "PictureID", d.people, pictureId);
            report(progress.line2, QStringLiteral("Inserting Album Data Into Database"));
            addLinks(m_dm.AlbumListTable, "AlbumID", "AlbumPictureID", d.albums, pictureId);
        });
    } catch (...) {
        // The row is gone with its transaction; so goes its preview.
        if (!previewFile.isEmpty())
            QFile::remove(previewFile);
        throw;
    }
    catalogued.insert(name.toUpper());
    if (duplicate) {
        m_errors << withPath(kAlreadyExistsLine, file);
        return PauseResult::Next;
    }
    ++m_loaded;
    if (d.pauseAfterEach && pause)
        return pause(pictureId, file, d.showPreview);
    return PauseResult::Next;
}

}  // namespace kv::storage

namespace kv::storage {

std::vector<ScanChoice> ScanChoices(data::TProgramDataForm& dm)
{
    data::LocalSqlResult result = dm.KestrelviewDatabase()->runLocalSql(QStringLiteral(
        "Select SL.StorageLocationDescriptio, SL.StorageLocationID, SL.MediaType, SL.Directory, SL.DiscLabel "
        "From \"StorageLocation.db\" SL, \"MediaType.db\" M Where (M.ShowFileName = True ) And "
        "(M.MediaTypeID = SL.MediaType) Order By SL.DiscLabel, SL.StorageLocationDescriptio"));
    std::vector<ScanChoice> out;
    while (result.rows && result.rows->step()) {
        const qint64 id = data::valueInteger(result.rows->column(1), -1);
        out.push_back({.id = id,
                       .text = data::valueText(result.rows->column(0)) + QStringLiteral("  ") +
                               data::valueText(result.rows->column(4)) + QLatin1Char(';') + QString::number(id)});
    }
    return out;
}

}  // namespace kv::storage
