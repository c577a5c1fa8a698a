#include "pictures/JpegCodec.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

// jpeglib.h first: jerror.h's list depends on its configuration.
#include <jpeglib.h>

#include <jerror.h>

namespace kv::pictures::jpeg {

namespace {

// More scans than any real progressive file has; a damaged file can claim
// thousands, each a pass over the whole picture.
constexpr int kMaxScans = 500;
// libjpeg's own limit on what it allocates: the coefficient buffers,
// checked beforehand against kMaxDecoderMemory, and its row buffers.
constexpr long kLibjpegMemoryLimit = static_cast<long>(kMaxDecoderMemory + (qint64(16) << 20));
// Rows handed to libjpeg per call.
constexpr int kRowBatch = 16;

// libjpeg's error manager with a way back: error_exit and fatal warnings
// jump to the guarded call instead of ending the process.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void jumpBack(j_common_ptr cinfo)
{
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(manager->jump, 1);
}

[[noreturn]] void onError(j_common_ptr cinfo)
{
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->message);
    jumpBack(cinfo);
}

[[noreturn]] void failWith(j_common_ptr cinfo, const char* why)
{
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::snprintf(manager->message, sizeof manager->message, "%s", why);
    jumpBack(cinfo);
}

// Warnings that mean the picture data is damaged or cut short: libjpeg
// would go on and fill the rest with grey; such a file counts as unreadable.
bool damagesPicture(int code)
{
    switch (code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
        return true;
    default:
        return false;
    }
}

void onMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;  // trace messages
    if (damagesPicture(cinfo->err->msg_code))
        onError(cinfo);
    ++cinfo->err->num_warnings;
}

void onProgress(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
        failWith(cinfo, "Too many scans in the JPEG file");
}

void setUpErrors(ErrorManager& manager)
{
    jpeg_std_error(&manager.pub);
    manager.pub.error_exit = onError;
    manager.pub.emit_message = onMessage;
    manager.message[0] = '\0';
}

struct Decoder {
    jpeg_decompress_struct cinfo;
    ErrorManager errors;
    jpeg_progress_mgr progress;
    const QByteArray* data = nullptr;
    const MinimumSize* minimumSize = nullptr;
    bool keepPixels = true;  // false: only check that it decodes
    QImage image;
    QSize fullSize;
    std::vector<unsigned char> scratch;  // rows when the pixels are not kept, or CMYK rows
    JSAMPROW rows[kRowBatch];
};

// Adobe CMYK (stored inverted, as nearly every CMYK JPEG is) or plain CMYK
// to blue, green, red.
void cmykToBgr(const unsigned char* in, unsigned char* out, int width, bool inverted)
{
    for (int x = 0; x < width; ++x, in += 4, out += 3) {
        const int c = inverted ? in[0] : 255 - in[0];
        const int m = inverted ? in[1] : 255 - in[1];
        const int y = inverted ? in[2] : 255 - in[2];
        const int k = inverted ? in[3] : 255 - in[3];
        out[0] = static_cast<unsigned char>(y * k / 255);
        out[1] = static_cast<unsigned char>(m * k / 255);
        out[2] = static_cast<unsigned char>(c * k / 255);
    }
}

// The memory of the whole-picture coefficient buffers libjpeg keeps for a
// progressive file or one whose components come in separate scans: 64
// coefficients of 2 bytes per block of every component, at full size
// whatever the output scale. 0 when the file is decoded row by row.
qint64 coefficientMemory(j_decompress_ptr cinfo)
{
    if (!cinfo->progressive_mode && cinfo->comps_in_scan >= cinfo->num_components)
        return 0;
    qint64 bytes = 0;
    for (int c = 0; c < cinfo->num_components; ++c) {
        const jpeg_component_info& component = cinfo->comp_info[c];
        const qint64 across = (qint64(component.width_in_blocks) + component.h_samp_factor - 1) /
                              component.h_samp_factor * component.h_samp_factor;
        const qint64 down = (qint64(component.height_in_blocks) + component.v_samp_factor - 1) /
                            component.v_samp_factor * component.v_samp_factor;
        bytes += across * down * DCTSIZE2 * qint64(sizeof(JCOEF));
    }
    return bytes;
}

void chooseScale(Decoder& d)
{
    j_decompress_ptr cinfo = &d.cinfo;
    cinfo->scale_num = 8;
    cinfo->scale_denom = 8;
    if (!d.keepPixels) {
        cinfo->scale_num = 1;
        return;
    }
    if (!d.minimumSize || !*d.minimumSize)
        return;
    const QSize wanted = (*d.minimumSize)(d.fullSize);
    for (unsigned int num = 1; num < 8; ++num) {
        cinfo->scale_num = num;
        jpeg_calc_output_dimensions(cinfo);
        if (static_cast<int>(cinfo->output_width) >= wanted.width() &&
            static_cast<int>(cinfo->output_height) >= wanted.height())
            return;
    }
    cinfo->scale_num = 8;
}

// All the libjpeg work of a decode. Runs under decodeGuarded's setjmp, so
// it keeps its state in the Decoder and holds no object with a destructor
// across a libjpeg call.
void decodeBody(Decoder& d)
{
    j_decompress_ptr cinfo = &d.cinfo;
    jpeg_create_decompress(cinfo);
    cinfo->mem->max_memory_to_use = kLibjpegMemoryLimit;
    d.progress.progress_monitor = onProgress;
    cinfo->progress = &d.progress;
    jpeg_mem_src(cinfo, reinterpret_cast<const unsigned char*>(d.data->constData()),
                 static_cast<unsigned long>(d.data->size()));
    jpeg_read_header(cinfo, TRUE);

    d.fullSize = QSize(static_cast<int>(cinfo->image_width), static_cast<int>(cinfo->image_height));
    if (cinfo->image_width == 0 || cinfo->image_height == 0 ||
        qint64(cinfo->image_width) * qint64(cinfo->image_height) > kMaxPixels)
        failWith(reinterpret_cast<j_common_ptr>(cinfo), "The JPEG picture is too large");
    if (coefficientMemory(cinfo) > kMaxDecoderMemory)
        failWith(reinterpret_cast<j_common_ptr>(cinfo), "The JPEG picture needs too much memory to decode");

    const bool cmyk = cinfo->num_components == 4;
    if (cmyk)
        cinfo->out_color_space = JCS_CMYK;
    else if (cinfo->num_components == 1 || cinfo->num_components == 3)
        cinfo->out_color_space = JCS_EXT_BGR;
    else
        failWith(reinterpret_cast<j_common_ptr>(cinfo), "Unsupported JPEG colour components");
    if (!d.keepPixels) {
        cinfo->dct_method = JDCT_IFAST;
        cinfo->do_fancy_upsampling = FALSE;
    }
    chooseScale(d);
    jpeg_calc_output_dimensions(cinfo);
    if (d.keepPixels && qint64(cinfo->output_width) * cinfo->output_height * 3 > kMaxPictureBytes)
        failWith(reinterpret_cast<j_common_ptr>(cinfo), "The JPEG picture is too large to decode at this size");

    jpeg_start_decompress(cinfo);
    const int width = static_cast<int>(cinfo->output_width);
    const int height = static_cast<int>(cinfo->output_height);
    const int components = cinfo->output_components;
    const bool direct = d.keepPixels && !cmyk;
    if (d.keepPixels) {
        d.image = QImage(width, height, QImage::Format_BGR888);
        if (d.image.isNull())
            failWith(reinterpret_cast<j_common_ptr>(cinfo), "Not enough memory for the picture");
    }
    if (!direct)
        d.scratch.resize(static_cast<size_t>(width) * components * kRowBatch);

    while (cinfo->output_scanline < cinfo->output_height) {
        const int first = static_cast<int>(cinfo->output_scanline);
        const int batch = std::min(kRowBatch, height - first);
        for (int i = 0; i < batch; ++i)
            d.rows[i] = direct ? d.image.scanLine(first + i)
                               : d.scratch.data() + static_cast<size_t>(i) * width * components;
        const int got = static_cast<int>(jpeg_read_scanlines(cinfo, d.rows, static_cast<JDIMENSION>(batch)));
        if (got <= 0)
            failWith(reinterpret_cast<j_common_ptr>(cinfo), "The JPEG data ended early");
        if (d.keepPixels && cmyk) {
            for (int i = 0; i < got; ++i)
                cmykToBgr(d.rows[i], d.image.scanLine(first + i), width, cinfo->saw_Adobe_marker);
        }
    }
    jpeg_finish_decompress(cinfo);
}

// The one place a decode sets its return point; nothing here changes after
// setjmp, so nothing can be clobbered by the jump back.
bool decodeGuarded(Decoder& d)
{
    if (setjmp(d.errors.jump))
        return false;
    decodeBody(d);
    return true;
}

bool runDecoder(Decoder& d)
{
    std::memset(&d.cinfo, 0, sizeof d.cinfo);
    std::memset(&d.progress, 0, sizeof d.progress);
    setUpErrors(d.errors);
    d.cinfo.err = &d.errors.pub;
    const bool ok = decodeGuarded(d);
    jpeg_destroy_decompress(&d.cinfo);
    if (!ok)
        d.image = QImage();
    return ok;
}

struct Encoder {
    jpeg_compress_struct cinfo;
    ErrorManager errors;
    jpeg_destination_mgr destination;
    const QImage* image = nullptr;
    int quality = 90;
    QByteArray out;  // grows as libjpeg fills it
    JSAMPROW rows[kRowBatch];
};

Encoder& encoderOf(j_compress_ptr cinfo) { return *static_cast<Encoder*>(cinfo->client_data); }

void startOutput(j_compress_ptr cinfo)
{
    Encoder& e = encoderOf(cinfo);
    e.out.resize(64 * 1024);
    e.destination.next_output_byte = reinterpret_cast<JOCTET*>(e.out.data());
    e.destination.free_in_buffer = static_cast<size_t>(e.out.size());
}

boolean growOutput(j_compress_ptr cinfo)
{
    Encoder& e = encoderOf(cinfo);
    const qsizetype used = e.out.size();
    e.out.resize(used * 2);
    e.destination.next_output_byte = reinterpret_cast<JOCTET*>(e.out.data()) + used;
    e.destination.free_in_buffer = static_cast<size_t>(e.out.size() - used);
    return TRUE;
}

void endOutput(j_compress_ptr cinfo)
{
    Encoder& e = encoderOf(cinfo);
    e.out.resize(e.out.size() - static_cast<qsizetype>(e.destination.free_in_buffer));
}

void encodeBody(Encoder& e)
{
    j_compress_ptr cinfo = &e.cinfo;
    jpeg_create_compress(cinfo);
    cinfo->client_data = &e;
    e.destination.init_destination = startOutput;
    e.destination.empty_output_buffer = growOutput;
    e.destination.term_destination = endOutput;
    cinfo->dest = &e.destination;
    cinfo->image_width = static_cast<JDIMENSION>(e.image->width());
    cinfo->image_height = static_cast<JDIMENSION>(e.image->height());
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, e.quality, TRUE);
    jpeg_start_compress(cinfo, TRUE);
    const int height = e.image->height();
    while (cinfo->next_scanline < cinfo->image_height) {
        const int first = static_cast<int>(cinfo->next_scanline);
        const int batch = std::min(kRowBatch, height - first);
        for (int i = 0; i < batch; ++i)
            e.rows[i] = const_cast<JSAMPROW>(e.image->constScanLine(first + i));
        jpeg_write_scanlines(cinfo, e.rows, static_cast<JDIMENSION>(batch));
    }
    jpeg_finish_compress(cinfo);
}

bool encodeGuarded(Encoder& e)
{
    if (setjmp(e.errors.jump))
        return false;
    encodeBody(e);
    return true;
}

}  // namespace

DecodeResult Decode(const QByteArray& data, const MinimumSize& minimumSize)
{
    DecodeResult result;
    if (data.isEmpty()) {
        result.error = QStringLiteral("The file is empty");
        return result;
    }
    Decoder d;
    d.data = &data;
    d.minimumSize = &minimumSize;
    if (runDecoder(d))
        result.image = std::move(d.image);
    else
        result.error = QString::fromLocal8Bit(d.errors.message);
    result.fullSize = d.fullSize;
    return result;
}

bool Decodes(const QByteArray& data, QSize* fullSize)
{
    if (data.isEmpty())
        return false;
    Decoder d;
    d.data = &data;
    d.keepPixels = false;
    const bool ok = runDecoder(d);
    if (ok && fullSize)
        *fullSize = d.fullSize;
    return ok;
}

bool Encode(const QImage& image, int quality, QByteArray& out, QString* error)
{
    out.clear();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) {
        if (error)
            *error = QStringLiteral("An empty picture cannot be saved as JPEG");
        return false;
    }
    const QImage bgr =
        image.format() == QImage::Format_BGR888 ? image : image.convertToFormat(QImage::Format_BGR888);
    Encoder e;
    std::memset(&e.cinfo, 0, sizeof e.cinfo);
    std::memset(&e.destination, 0, sizeof e.destination);
    setUpErrors(e.errors);
    e.cinfo.err = &e.errors.pub;
    e.image = &bgr;
    e.quality = quality;
    const bool ok = encodeGuarded(e);
    jpeg_destroy_compress(&e.cinfo);
    if (ok)
        out = std::move(e.out);
    else if (error)
        *error = QString::fromLocal8Bit(e.errors.message);
    return ok;
}

}  // namespace kv::pictures::jpeg
