// The image table and the making of images from sizes and from picture data.
//
// Invariant: a record's handle is stored last, once the bitmap or icon exists and has been
// described; a failed creation leaves the number free (the claim freed what it held).
#include "graphics/images.h"

#include "core/memory.h"
#include "core/objects.h"
#include "graphics/gdi_scope.h"
#include "graphics/pixels.h"

#include <cstring>

namespace rt {

namespace {

ObjectTable* image_table;

// A bitmap information header with room for a full colour table.
struct DibInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

bool is_dib_bit_count(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

void fill_grey_ramp(DibInfo& info, int bits) {
    int entries = 1 << bits;
    for (int i = 0; i < entries; ++i) {
        auto grey = static_cast<BYTE>(i * 255 / (entries - 1));
        info.colours[i] = {grey, grey, grey, 0};
    }
}

DIBSECTION section_of(HBITMAP bitmap) {
    DIBSECTION section{};
    if (GetObjectA(bitmap, sizeof section, &section) != sizeof section) section = {};
    return section;
}

// The result of a creating operation, and the record filled from a bitmap's description.
intptr_t created(intptr_t number, ImageRecord* record, HANDLE handle, const BITMAP& description) {
    record->width = static_cast<int16_t>(description.bmWidth);
    record->height = static_cast<int16_t>(description.bmHeight);
    record->depth = static_cast<uint8_t>(description.bmBitsPixel);
    record->handle = handle;
    return number == DYNAMIC_NUMBER ? reinterpret_cast<intptr_t>(record) : reinterpret_cast<intptr_t>(handle);
}

intptr_t failed(intptr_t number, ImageRecord* record) {
    abandon_claim(image_table, number, record);
    return 0;
}

intptr_t created_bitmap(intptr_t number, ImageRecord* record, HBITMAP bitmap) {
    if (!bitmap) return failed(number, record);
    BITMAP description{};
    GetObjectA(bitmap, sizeof description, &description);
    return created(number, record, bitmap, description);
}

// 32 bits: opaque black words. Other depths: the black brush.
void fill_black(HBITMAP bitmap, const BITMAP& description) {
    if (description.bmBitsPixel == 32 && description.bmBits) {
        auto* words = static_cast<uint32_t*>(description.bmBits);
        size_t count = static_cast<size_t>(description.bmWidth) * description.bmHeight;
        for (size_t i = 0; i < count; ++i) words[i] = 0xFF000000u;
        return;
    }
    CreatedDc dc = memory_dc();
    SelectedObject selected(dc.get(), bitmap);
    RECT all = {0, 0, description.bmWidth, description.bmHeight};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

HBITMAP bitmap_from_bmp(const BmpLayout& layout) {
    int rows = layout.height < 0 ? -layout.height : layout.height;
    DeletedObject<HBITMAP> bitmap(new_dib(layout.width, rows, layout.depth));
    CreatedDc dc = memory_dc();
    if (!bitmap || !dc) return nullptr;
    // The file's header and colour table, aligned for the platform.
    auto* header = static_cast<BITMAPINFO*>(main_allocate(MAX_BMP_HEADER_BYTES));
    std::memcpy(header, layout.header, static_cast<size_t>(layout.header_bytes));
    int converted = SetDIBits(dc.get(), bitmap.get(), 0, static_cast<UINT>(rows), layout.pixels, header, DIB_RGB_COLORS);
    main_free(header);
    if (converted == 0) return nullptr;
    DIBSECTION section = section_of(bitmap.get());
    if (layout.depth == 32 && section.dsBm.bmBits)
        make_opaque_without_alpha(static_cast<uint8_t*>(section.dsBm.bmBits), static_cast<size_t>(layout.width) * rows);
    return bitmap.take();
}

HICON icon_from_image(const IconImage& image) {
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, static_cast<SIZE_T>(image.size));
    if (!block) return nullptr;
    auto* data = static_cast<PBYTE>(block);  // a fixed block's handle is its address
    std::memcpy(data, image.data, static_cast<size_t>(image.size));
    auto size = static_cast<DWORD>(image.size);
    HICON icon = CreateIconFromResourceEx(data, size, TRUE, 0x30000, image.width, image.height, LR_DEFAULTCOLOR);
    if (!icon && image.bit_count != 16) icon = CreateIconFromResource(data, size, TRUE, 0x30000);
    GlobalFree(block);
    return icon;
}

intptr_t created_icon(intptr_t number, ImageRecord* record, const IconImage& image) {
    HICON icon = icon_from_image(image);
    BITMAP description{};
    if (!icon) return failed(number, record);
    if (!describe_icon(icon, &description)) {
        DestroyIcon(icon);
        return failed(number, record);
    }
    return created(number, record, icon, description);
}

} // namespace

bool describe_icon(HICON icon, BITMAP* description) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return false;
    DeletedObject<HBITMAP> colour(info.hbmColor), mask(info.hbmMask);
    HBITMAP described = colour ? colour.get() : mask.get();
    if (!described || !GetObjectA(described, sizeof *description, description)) return false;
    if (!colour) description->bmHeight /= 2;
    return description->bmWidth <= MAX_IMAGE_SIDE && description->bmHeight <= MAX_IMAGE_SIDE;  // fits the record
}

void init_image_library() { image_table = create_table_of<ImageRecord>(16, free_image); }

HBITMAP new_dib(int width, int height, int bits) {
    if (width < 1 || width > MAX_IMAGE_SIDE || height < 1 || height > MAX_IMAGE_SIDE || !is_dib_bit_count(bits)) return nullptr;
    DibInfo info{};
    info.header = {sizeof(BITMAPINFOHEADER), width, height, 1, static_cast<WORD>(bits), BI_RGB, 0, 0, 0, 0, 0};
    if (bits <= 8) fill_grey_ramp(info, bits);
    CreatedDc display = display_dc();
    if (!display) return nullptr;
    void* pixels = nullptr;
    return CreateDIBSection(display.get(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0);
}

intptr_t create_image(intptr_t number, int width, int height, int depth) {
    auto* record = claim<ImageRecord>(image_table, number);
    if (!record) return 0;
    HBITMAP bitmap = new_dib(width, height, depth);
    if (!bitmap) return failed(number, record);
    BITMAP description{};
    GetObjectA(bitmap, sizeof description, &description);
    fill_black(bitmap, description);
    return created(number, record, bitmap, description);
}

intptr_t catch_image(intptr_t number, const void* data, int size) {
    auto* record = claim<ImageRecord>(image_table, number);
    if (!record) return 0;
    auto* bytes = static_cast<const uint8_t*>(data);
    BmpLayout layout{};
    IconImage icon{};
    if (read_bmp_layout(bytes, size, &layout)) return created_bitmap(number, record, bitmap_from_bmp(layout));
    if (choose_icon_image(bytes, size, &icon)) return created_icon(number, record, icon);
    if (find_image_decoder(data, size)) return created_bitmap(number, record, decode_to_new_bitmap());
    return failed(number, record);
}

HBITMAP decode_to_new_bitmap() {
    DecodeJob& job = decode_job();
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), job.width, job.height, 1, static_cast<WORD>(job.depth), BI_RGB, 0, 0, 0, 0, 0};
    CreatedDc display = display_dc();
    void* pixels = nullptr;
    HBITMAP section = display ? CreateDIBSection(display.get(), &info, DIB_RGB_COLORS, &pixels, nullptr, 0) : nullptr;
    if (section) {
        DIBSECTION description = section_of(section);
        job.decoder->decode(&job, static_cast<uint8_t*>(description.dsBm.bmBits),
                            row_bytes(description.dsBm.bmWidth, description.dsBm.bmBitsPixel), DECODE_BOTTOM_UP);
    }
    job.decoder->close(&job);
    return section;
}

HANDLE image_handle(intptr_t number) {
    ImageRecord* record = find_image(number);
    return record ? record->handle : nullptr;
}

ImageRecord* find_image(intptr_t number) { return find<ImageRecord>(image_table, number); }

void free_image(intptr_t number) {
    if (number == DYNAMIC_NUMBER) return;
    ImageRecord* record = find_image(number);
    if (!record) return;
    if (GetObjectType(record->handle) == OBJ_BITMAP) DeleteObject(record->handle);
    else DestroyIcon(static_cast<HICON>(record->handle));
    release_object(image_table, number);
}

void free_all_images() { free_all_objects(image_table, free_image); }

} // namespace rt
