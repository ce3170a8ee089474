#include "jpeg_format.h"

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <exception>
#include <span>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// The library reports errors by calling back; they leave its frames by longjmp and become
// exceptions only here, so no C++ object is ever skipped by the jump. Library memory belongs to
// the library object and goes with jpeg_destroy, also after a jump.

const std::string prefix = "JPG: ";
constexpr size_t bufferSize = 4096;

std::atomic<int> qualitySetting{80};
std::atomic<bool> progressiveSetting{false};

[[noreturn]] void jpgError(const std::string& detail) {
    throw EPGJPGFileFormatReaderWriter(prefix + detail);
}

// What the library's callbacks of one decoding or encoding reach through client_data.
struct JpgContext {
    JpgContext(TStream& stream, const TPixelGraphic* warnings)
        : Stream(stream), WarningTarget(warnings) {}
    jpeg_error_mgr Errors{};
    jpeg_source_mgr Source{};
    jpeg_destination_mgr Destination{};
    std::jmp_buf Jump{};
    char Message[JMSG_LENGTH_MAX] = {};
    std::exception_ptr Pending; // thrown by our own code inside a callback
    TStream& Stream;
    const TPixelGraphic* WarningTarget; // whose ReadWarningAction applies; none: warnings raise
    JOCTET Buffer[bufferSize] = {};
};

template <class Info>
JpgContext& contextOf(Info* info) {
    return *static_cast<JpgContext*>(info->client_data);
}

// Runs our code inside a callback; an exception is kept for later and answers false.
template <class F>
bool captured(JpgContext& ctx, F&& f) noexcept {
    try {
        f();
        return true;
    } catch (...) {
        ctx.Pending = std::current_exception();
        return false;
    }
}

[[noreturn]] void errorExit(j_common_ptr c) {
    JpgContext& ctx = contextOf(c);
    (*c->err->format_message)(c, ctx.Message);
    std::longjmp(ctx.Jump, 1);
}

void reportWarning(const JpgContext& ctx, const char* text) {
    if (!ctx.WarningTarget) jpgError(text);
    PGReadWarning<EPGJPGFileFormatReaderWriter>(*ctx.WarningTarget, "JPG", prefix, text);
}

void emitMessage(j_common_ptr c, int level) {
    // Traces are dropped; of the corrupt-data warnings of a file only the first is reported.
    if (level >= 0 || c->err->num_warnings++ > 0) return;
    JpgContext& ctx = contextOf(c);
    char text[JMSG_LENGTH_MAX];
    (*c->err->format_message)(c, text);
    if (!captured(ctx, [&] { reportWarning(ctx, text); })) std::longjmp(ctx.Jump, 1);
}

template <class F>
bool guarded(JpgContext& ctx, F& step) {
    if (setjmp(ctx.Jump)) return false;
    step();
    return true;
}

// Library calls: their errors and the exceptions of our callbacks come out as exceptions.
template <class F>
void libraryCall(JpgContext& ctx, F&& step) {
    if (guarded(ctx, step)) return;
    if (ctx.Pending) std::rethrow_exception(ctx.Pending);
    jpgError(ctx.Message);
}

template <class Info>
void installErrors(JpgContext& ctx, Info& info) {
    info.err = jpeg_std_error(&ctx.Errors);
    ctx.Errors.error_exit = errorExit;
    ctx.Errors.emit_message = emitMessage;
    info.client_data = &ctx;
}

void initSource(j_decompress_ptr) {}
void termSource(j_decompress_ptr) {}

boolean fillInputBuffer(j_decompress_ptr info) {
    JpgContext& ctx = contextOf(info);
    int64_t got = 0;
    if (!captured(ctx, [&] { got = ctx.Stream.Read(ctx.Buffer, bufferSize); }))
        std::longjmp(ctx.Jump, 1);
    if (got <= 0) {
        // A truncated file ends in a warning and an inserted end marker, so what is there shows.
        WARNMS(info, JWRN_JPEG_EOF);
        ctx.Buffer[0] = 0xFF;
        ctx.Buffer[1] = JPEG_EOI;
        got = 2;
    }
    info->src->next_input_byte = ctx.Buffer;
    info->src->bytes_in_buffer = static_cast<size_t>(got);
    return TRUE;
}

void skipInputData(j_decompress_ptr info, long count) {
    jpeg_source_mgr& src = *info->src;
    while (count > static_cast<long>(src.bytes_in_buffer)) {
        count -= static_cast<long>(src.bytes_in_buffer);
        fillInputBuffer(info);
    }
    if (count <= 0) return;
    src.next_input_byte += count;
    src.bytes_in_buffer -= static_cast<size_t>(count);
}

void writeBuffered(JpgContext& ctx, size_t count) {
    if (!captured(ctx, [&] { ctx.Stream.WriteBuffer(ctx.Buffer, static_cast<int64_t>(count)); }))
        std::longjmp(ctx.Jump, 1);
}

void initDestination(j_compress_ptr info) {
    JpgContext& ctx = contextOf(info);
    info->dest->next_output_byte = ctx.Buffer;
    info->dest->free_in_buffer = bufferSize;
}

boolean emptyOutputBuffer(j_compress_ptr info) {
    writeBuffered(contextOf(info), bufferSize);
    initDestination(info);
    return TRUE;
}

void termDestination(j_compress_ptr info) {
    writeBuffered(contextOf(info), bufferSize - info->dest->free_in_buffer);
}

// jpeg_destroy is safe on a zeroed structure, so the holder frees whatever was created.
struct DecompressHandle {
    jpeg_decompress_struct Info{};
    DecompressHandle() = default;
    DecompressHandle(const DecompressHandle&) = delete;
    DecompressHandle& operator=(const DecompressHandle&) = delete;
    ~DecompressHandle() { jpeg_destroy_decompress(&Info); }
};

struct CompressHandle {
    jpeg_compress_struct Info{};
    CompressHandle() = default;
    CompressHandle(const CompressHandle&) = delete;
    CompressHandle& operator=(const CompressHandle&) = delete;
    ~CompressHandle() { jpeg_destroy_compress(&Info); }
};

// A decompressor reading the stream through a 4096-byte buffer, its header read. Markers of
// APP1 are kept for the Exif orientation.
class Decompressor {
public:
    Decompressor(TStream& stream, const TPixelGraphic* warnings) : FContext(stream, warnings) {
        jpeg_decompress_struct& info = FHandle.Info;
        installErrors(FContext, info);
        Call([&] {
            jpeg_create_decompress(&info);
            jpeg_source_mgr& src = FContext.Source;
            src.init_source = initSource;
            src.fill_input_buffer = fillInputBuffer;
            src.skip_input_data = skipInputData;
            src.resync_to_restart = jpeg_resync_to_restart;
            src.term_source = termSource;
            info.src = &src;
            jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
            jpeg_read_header(&info, TRUE);
        });
    }
    jpeg_decompress_struct& Info() { return FHandle.Info; }
    template <class F>
    void Call(F&& step) {
        libraryCall(FContext, step);
    }

private:
    JpgContext FContext;
    DecompressHandle FHandle;
};

class Compressor {
public:
    Compressor(TStream& stream, const TPixelGraphic& image) : FContext(stream, &image) {
        jpeg_compress_struct& info = FHandle.Info;
        installErrors(FContext, info);
        Call([&] {
            jpeg_create_compress(&info);
            jpeg_destination_mgr& dest = FContext.Destination;
            dest.init_destination = initDestination;
            dest.empty_output_buffer = emptyOutputBuffer;
            dest.term_destination = termDestination;
            info.dest = &dest;
        });
    }
    jpeg_compress_struct& Info() { return FHandle.Info; }
    template <class F>
    void Call(F&& step) {
        libraryCall(FContext, step);
    }

private:
    JpgContext FContext;
    CompressHandle FHandle;
};

// The orientation tag of the Exif block's first directory; 1 (as stored) when absent or damaged.
int tiffOrientation(std::span<const uint8_t> t) {
    if (t.size() < 8) return 1;
    const bool little = t[0] == 'I' && t[1] == 'I';
    if (!little && !(t[0] == 'M' && t[1] == 'M')) return 1;
    auto u16 = [&](uint64_t at) -> uint32_t {
        return little ? t[at] | (t[at + 1] << 8) : (t[at] << 8) | t[at + 1];
    };
    auto u32 = [&](uint64_t at) -> uint64_t {
        return little ? u16(at) | (uint64_t(u16(at + 2)) << 16)
                      : (uint64_t(u16(at)) << 16) | u16(at + 2);
    };
    if (u16(2) != 42) return 1;
    const uint64_t directory = u32(4);
    if (directory + 2 > t.size()) return 1;
    const uint32_t count = u16(directory);
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t entry = directory + 2 + 12 * uint64_t(i);
        if (entry + 12 > t.size()) return 1;
        if (u16(entry) != 0x0112) continue;
        const uint32_t value = u16(entry + 2) == 3 ? u16(entry + 8) : 1; // type SHORT
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
    return 1;
}

int exifOrientation(const jpeg_decompress_struct& info) {
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next) {
        if (m->marker != JPEG_APP0 + 1 || m->data_length < 6) continue;
        if (std::memcmp(m->data, "Exif\0\0", 6) != 0) continue;
        return tiffOrientation({m->data + 6, m->data_length - 6});
    }
    return 1;
}

bool swapsAxes(int orientation) {
    return orientation >= 5;
}

// Where decoded rows go. Orientations 1 to 4 decode straight into the image rows (flipped and
// mirrored on the way); 5 to 8 exchange the axes, so their rows go to a copy in stored order
// that is turned into the image after each pass.
class RowSink {
public:
    RowSink(TPixelGraphic& image, int orientation, int width, int height, uint8_t format)
        : FImage(image), FOrientation(orientation), FWidth(width), FHeight(height),
          FBytes(format == pf24Bit ? 3 : 1) {
        if (swapsAxes(orientation)) {
            FStored.SetSizeAndFormat(width, height, format);
            image.SetSizeAndFormat(height, width, format);
        } else {
            image.SetSizeAndFormat(width, height, format);
        }
    }
    uint8_t* Row(int y) {
        if (swapsAxes(FOrientation)) return FStored.ScanLine(y);
        const bool flip = FOrientation == 3 || FOrientation == 4;
        return FImage.ScanLine(flip ? FHeight - 1 - y : y);
    }
    void RowDone(int y) {
        if (FOrientation == 2 || FOrientation == 3) mirror(Row(y));
        FRowsDone = std::max(FRowsDone, y + 1);
    }
    void PassDone() {
        if (swapsAxes(FOrientation)) turn();
    }

private:
    void mirror(uint8_t* row) const {
        for (int a = 0, b = FWidth - 1; a < b; ++a, --b)
            std::swap_ranges(row + a * FBytes, row + (a + 1) * FBytes, row + b * FBytes);
    }
    // Stored pixel (sx, sy) lands on (dx, dy) of the upright image. Tile by tile, so that the
    // rows written stay in the cache on large photos; rows not decoded yet hold the background
    // on both sides and are left alone.
    void turn() {
        const bool fromTop = FOrientation == 5 || FOrientation == 8;
        const bool fromLeft = FOrientation == 5 || FOrientation == 6;
        constexpr int tile = 64;
        for (int ty = 0; ty < FRowsDone; ty += tile)
            for (int tx = 0; tx < FWidth; tx += tile)
                for (int sy = ty; sy < std::min(ty + tile, FRowsDone); ++sy) {
                    const uint8_t* src = FStored.ScanLine(sy);
                    const int64_t dx = fromTop ? sy : FHeight - 1 - sy;
                    for (int sx = tx; sx < std::min(tx + tile, FWidth); ++sx) {
                        const int dy = fromLeft ? sx : FWidth - 1 - sx;
                        std::memcpy(FImage.ScanLine(dy) + dx * FBytes, src + int64_t(sx) * FBytes,
                                    size_t(FBytes));
                    }
                }
    }

    TPixelGraphic& FImage;
    TPixelGraphic FStored;
    int FOrientation, FWidth, FHeight, FBytes;
    int FRowsDone = 0;
};

void configure(jpeg_decompress_struct& info, const TJPGDecodeOptions& o) {
    const bool fast = o.Performance == jpgBestSpeed;
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned>(o.ScaleDenom);
    info.dct_method = fast ? JDCT_IFAST : JDCT_ISLOW;
    info.do_block_smoothing = o.Smoothing;
    info.buffered_image = o.ProgressiveDisplay && jpeg_has_multiple_scans(&info);
    if (o.GrayScale && info.out_color_space == JCS_RGB) info.out_color_space = JCS_GRAYSCALE;
    info.quantize_colors = o.Reduce236;
    if (o.Reduce236) {
        info.desired_number_of_colors = 236;
        info.two_pass_quantize = !fast && !info.buffered_image;
        info.dither_mode = fast ? JDITHER_ORDERED : JDITHER_FS;
    } else {
        info.dither_mode = JDITHER_NONE;
        // Three-component rows arrive blue, green, red: the image's own order.
        if (info.out_color_space == JCS_RGB) info.out_color_space = JCS_EXT_BGR;
    }
}

void takeColormap(TPixelGraphic& image, const jpeg_decompress_struct& info) {
    const int count = info.actual_number_of_colors;
    const bool grey = info.out_color_components == 1;
    image.SetPaletteCount(count);
    for (int i = 0; i < count; ++i) {
        const uint8_t r = info.colormap[0][i];
        image.SetPaletteEntry(i, grey ? PGColor(r, r, r)
                                      : PGColor(r, info.colormap[1][i], info.colormap[2][i]));
    }
}

// One output pass; answers false when a progress handler asked to stop.
bool decodeRows(Decompressor& d, RowSink& sink, TPGProgressScope& progress) {
    jpeg_decompress_struct& info = d.Info();
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        JSAMPROW row = sink.Row(y);
        d.Call([&] { jpeg_read_scanlines(&info, &row, 1); });
        sink.RowDone(y);
        if (progress.Step(y + 1, static_cast<int>(info.output_height))) return false;
    }
    return true;
}

bool decodePass(Decompressor& d, RowSink& sink, TPixelGraphic& image, TPGProgressScope& progress) {
    if (d.Info().quantize_colors) takeColormap(image, d.Info());
    try {
        const bool complete = decodeRows(d, sink, progress);
        sink.PassDone();
        return complete;
    } catch (...) {
        sink.PassDone(); // the rows decoded so far stay visible
        throw;
    }
}

// Buffered-image decoding: every scan that arrives is shown before the next one is read.
bool decodeScans(Decompressor& d, RowSink& sink, TPixelGraphic& image, TPGProgressScope& progress) {
    jpeg_decompress_struct& info = d.Info();
    for (;;) {
        d.Call([&] { jpeg_start_output(&info, info.input_scan_number); });
        if (!decodePass(d, sink, image, progress)) return false;
        bool complete = false;
        d.Call([&] {
            jpeg_finish_output(&info);
            complete = jpeg_input_complete(&info);
        });
        image.Changed();
        if (complete) return true;
    }
}

void decode(TStream& stream, TPixelGraphic& image, const TJPGDecodeOptions& options) {
    Decompressor d(stream, &image);
    jpeg_decompress_struct& info = d.Info();
    d.Call([&] {
        configure(info, options);
        jpeg_calc_output_dimensions(&info);
    });
    if (info.out_color_components != 1 && info.out_color_components != 3)
        jpgError(PGLangStr(msgNotSupportedSubformat));
    const bool eightBits = info.quantize_colors || info.out_color_components == 1;
    // The size is settled before decompression starts, so an image too large for memory is
    // refused before the library allocates its buffers.
    RowSink sink(image, exifOrientation(info), static_cast<int>(info.output_width),
                 static_cast<int>(info.output_height), eightBits ? pf8Bit : pf24Bit);
    if (eightBits && !info.quantize_colors) image.SetPaletteIdent(pGray256);
    d.Call([&] { jpeg_start_decompress(&info); });
    TPGProgressScope progress(image);
    const bool complete = info.buffered_image ? decodeScans(d, sink, image, progress)
                                              : decodePass(d, sink, image, progress);
    // An abort is no error: the library is told to stop and the decoded rows stay.
    if (complete)
        d.Call([&] { jpeg_finish_decompress(&info); });
    else
        d.Call([&] { jpeg_abort_decompress(&info); });
}

const char* colorSpaceName(J_COLOR_SPACE space) {
    switch (space) {
    case JCS_UNKNOWN:
        return "unknown";
    case JCS_GRAYSCALE:
        return "GrayScale";
    case JCS_RGB:
        return "RGB";
    case JCS_YCbCr:
        return "YCbCr";
    case JCS_CMYK:
        return "CMYK";
    case JCS_YCCK:
        return "YCbCrK";
    default:
        return "";
    }
}

const char* componentColors(int components) {
    switch (components) {
    case 1:
        return "256";
    case 2:
        return "64K";
    case 3:
        return "16.7M";
    case 4:
        return "4294.9M";
    default:
        return "?";
    }
}

} // namespace

namespace {

// The smallest of the decoder's scales that still covers the picture fitted into the hint box.
int scaleForHint(TStream& stream, const TPGCallOptions& options) {
    if (options.HintWidth <= 0 || options.HintHeight <= 0) return 1;
    const int64_t start = stream.Position();
    int w, h;
    {
        Decompressor d(stream, nullptr);
        const bool turned = swapsAxes(exifOrientation(d.Info()));
        w = static_cast<int>(turned ? d.Info().image_height : d.Info().image_width);
        h = static_cast<int>(turned ? d.Info().image_width : d.Info().image_height);
    }
    stream.SetPosition(start);
    int fitW, fitH;
    PGFitToHint(options, w, h, fitW, fitH);
    int denom = 1;
    // The decoder rounds scaled sizes up.
    while (denom < 8 && (w + 2 * denom - 1) / (2 * denom) >= fitW &&
           (h + 2 * denom - 1) / (2 * denom) >= fitH)
        denom *= 2;
    return denom;
}

} // namespace

int JPEGQuality() {
    return qualitySetting.load();
}

void SetJPEGQuality(int value) {
    if (value < 1 || value > 100) jpgError(PGLangStr(msgInvalidValue, "JPEGQuality"));
    qualitySetting.store(value);
}

bool JPEGProgressive() {
    return progressiveSetting.load();
}
void SetJPEGProgressive(bool value) {
    progressiveSetting.store(value);
}

void LoadJPEGScaled(TStream& Stream, TPixelGraphic& Image, const TJPGDecodeOptions& Options) {
    const int s = Options.ScaleDenom;
    if (s != 1 && s != 2 && s != 4 && s != 8) jpgError(PGLangStr(msgInvalidValue, "ScaleDenom"));
    Image.SetGamma(Image.EffectiveDisplayGamma());
    decode(Stream, Image, Options);
    Image.ClassifyPalette();
    Image.Changed();
}

bool TJPGFileFormatReader::IsFormat(const TPGHeader& Header) const {
    return Header[0] == 0xFF && Header[1] == 0xD8;
}

void TJPGFileFormatReader::ReadImage(TStream& Stream, TPixelGraphic& Image, int Index) const {
    if (Index != 0) jpgError(PGLangStr(msgInvalid, "Index"));
    Image.SetGamma(Image.EffectiveDisplayGamma());
    TJPGDecodeOptions options;
    options.Performance = Image.FastLoad() ? jpgBestSpeed : jpgBestQuality;
    options.ScaleDenom = scaleForHint(Stream, Image.CallOptions());
    decode(Stream, Image, options);
}

void TJPGFileFormatReader::GetInfo(TStream& Stream, int Index, TPGImageInfo& Info) const {
    if (Index != 0) jpgError(PGLangStr(msgInvalidValue, "Index"));
    Info = {};
    Decompressor d(Stream, nullptr);
    const jpeg_decompress_struct& h = d.Info();
    const bool turned = swapsAxes(exifOrientation(h));
    Info.ImageCount = 1;
    Info.Width = static_cast<int>(turned ? h.image_height : h.image_width);
    Info.Height = static_cast<int>(turned ? h.image_width : h.image_height);
    Info.BitCount = 8 * h.num_components;
    Info.Colors = componentColors(h.num_components);
    Info.SubFormat = colorSpaceName(h.jpeg_color_space);
    if (h.progressive_mode) Info.SubFormat += ", Progressive";
    if (h.saw_Adobe_marker) Info.SubFormat = "Adope, " + Info.SubFormat;
    if (h.saw_JFIF_marker) Info.SubFormat = "JFIF, " + Info.SubFormat;
}

void TJPGFileFormatWriter::WriteImage(TStream& Stream, TPixelGraphic& Image) const {
    Image.ClassifyPalette();
    const bool grey = Image.PixelFormat() == pf8Bit && Image.PaletteIdent() == pGray256;
    if (!grey && Image.PixelFormat() != pf24Bit) jpgError(PGLangStr(msgInvalidValue, "BitCount"));
    const int quality = Image.CallOptions().JPEGQuality.value_or(JPEGQuality());
    if (quality < 1 || quality > 100) jpgError(PGLangStr(msgInvalidValue, "JPEGQuality"));
    const bool progressive = Image.CallOptions().JPEGProgressive.value_or(JPEGProgressive());
    Compressor c(Stream, Image);
    jpeg_compress_struct& info = c.Info();
    c.Call([&] {
        info.image_width = static_cast<JDIMENSION>(Image.Width());
        info.image_height = static_cast<JDIMENSION>(Image.Height());
        info.input_components = grey ? 1 : 3;
        info.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
        jpeg_set_defaults(&info);
        if (progressive) jpeg_simple_progression(&info);
        jpeg_set_quality(&info, quality, TRUE);
        info.dct_method = JDCT_FLOAT;
        jpeg_start_compress(&info, TRUE);
    });
    TPGProgressScope progress(Image);
    for (int y = 0; y < Image.Height(); ++y) {
        JSAMPROW row = Image.ScanLine(y);
        c.Call([&] { jpeg_write_scanlines(&info, &row, 1); });
        progress.Step(y, Image.Height()); // a save runs to the end
    }
    c.Call([&] { jpeg_finish_compress(&info); });
}

void RegisterJPEGFormats(TPGRegistry& registry) {
    registry.AddReader(std::make_unique<TJPGFileFormatReader>());
    registry.AddReader(std::make_unique<TJPEGFileFormatReader>());
    registry.AddReader(std::make_unique<TJIFFileFormatReader>());
    registry.AddWriter(std::make_unique<TJPGFileFormatWriter>());
    registry.AddWriter(std::make_unique<TJPEGFileFormatWriter>());
    registry.AddWriter(std::make_unique<TJIFFileFormatWriter>());
}
