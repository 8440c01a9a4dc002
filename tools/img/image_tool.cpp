#include "img/image_tool.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <ostream>

#include "common/tool_support.h"
#include "graphics/bmp_loader.h"
#include "graphics/frame.h"
#include "graphics/image_loader.h"
#include "img/fd_encoder.h"

namespace rs::tools {

namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  rs-img png INPUT OUTPUT.png   an FD, FE, BMP or PNG image as PNG\n"
    "  rs-img fd INPUT OUTPUT        the image as FD\n"
    "  rs-img fe INPUT OUTPUT        the image as FE\n"
    "  rs-img info INPUT             format, size and depth\n"
    "FD and FE files get depth 32 when the picture has transparent pixels, else 24.\n";

bool isPng(std::span<const uint8_t> b) {
    static const uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return b.size() >= 8 && std::equal(sig, sig + 8, b.begin());
}

bool anyTransparent(const graphics::Image& img) {
    return std::any_of(img.pixels.begin(), img.pixels.end(),
                       [](uint32_t p) { return (p >> 24) != 0xFF; });
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

std::optional<LoadedImage> readImage(const std::string& path, std::span<const uint8_t> bytes,
                                     std::string* error) {
    LoadedImage li;
    if (isPng(bytes)) {
        std::optional<graphics::Image> img = graphics::readPng(path, error, &li.depth);
        if (!img) return std::nullopt;
        li.image = std::move(*img);
        li.format = "PNG";
    } else {
        switch (graphics::imageFormatOf(bytes)) {
            case graphics::ImageFormat::FD:
            case graphics::ImageFormat::FE: {
                bool complete = false;
                std::optional<graphics::Image> img = graphics::decodeFdImage(bytes, &complete);
                if (!img) {
                    if (error) *error = "the image is too large to decode";
                    return std::nullopt;
                }
                if (!complete && error) *error = "warning: the data ends before the image does";
                li.image = std::move(*img);
                li.format =
                    graphics::imageFormatOf(bytes) == graphics::ImageFormat::FD ? "FD" : "FE";
                li.depth = graphics::imageSizeOf(bytes).depth;
                if (li.depth != 32) {
                    for (uint32_t& p : li.image.pixels) p |= 0xFF000000u;
                }
                break;
            }
            case graphics::ImageFormat::Bitmap: {
                graphics::ImageSize s = graphics::imageSizeOf(bytes);
                std::unique_ptr<graphics::Frame> f =
                    graphics::createFrame(s.width, s.height, 32, 2);
                if (!f) {
                    if (error) *error = "the bitmap's size is not usable";
                    return std::nullopt;
                }
                if (!graphics::drawBitmap(*f, 0, 0, bytes, 0, 0)) {
                    if (error) *error = "the bitmap's header or depth is not supported";
                    return std::nullopt;
                }
                li.image = graphics::imageFromFrame(*f);
                li.format = "BMP";
                li.depth = s.depth;
                break;
            }
            case graphics::ImageFormat::Unknown:
                if (error) *error = "not a PNG, FD, FE or BMP image";
                return std::nullopt;
        }
    }
    li.hasAlpha = anyTransparent(li.image);
    return li;
}

std::vector<uint8_t> encodeChecked(const LoadedImage& img, bool fe, std::string* error) {
    std::vector<uint8_t> file =
        fe ? encodeFE(img.image, img.hasAlpha) : encodeFD(img.image, img.hasAlpha);
    if (file.empty()) {
        if (error) *error = "FD and FE images are at most 65535 pixels wide and high";
        return file;
    }
    bool complete = false;
    std::optional<graphics::Image> back = graphics::decodeFdImage(file, &complete);
    uint32_t mask = img.hasAlpha ? 0xFFFFFFFFu : 0x00FFFFFFu;
    bool same = back && complete && back->pixels.size() == img.image.pixels.size();
    for (size_t i = 0; same && i < back->pixels.size(); ++i)
        same = ((back->pixels[i] ^ img.image.pixels[i]) & mask) == 0;
    if (!same) {
        if (error) *error = "internal error: the encoded image does not decode to the picture";
        return {};
    }
    return file;
}

int runImageTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    int answered = answerCommonOptions("rs-img", args, kUsage, out, err);
    if (answered >= 0) return answered;
    const std::string& command = args[0];
    bool isInfo = command == "info";
    if ((isInfo && args.size() != 2) || (!isInfo && args.size() != 3) ||
        (!isInfo && command != "png" && command != "fd" && command != "fe")) {
        err << kUsage;
        return 2;
    }
    std::optional<std::vector<uint8_t>> bytes = readInputFile("rs-img", args[1], err);
    if (!bytes) return 1;
    std::string error;
    std::optional<LoadedImage> img = readImage(args[1], *bytes, &error);
    if (!img) {
        err << "rs-img: " << args[1] << ": " << error << "\n";
        return 1;
    }
    if (!error.empty()) err << "rs-img: " << args[1] << ": " << error << "\n";
    if (isInfo) {
        out << img->format << " " << img->image.width << "x" << img->image.height << " depth "
            << img->depth << (img->hasAlpha ? " with transparency" : "") << "\n";
        return 0;
    }
    const std::string& target = args[2];
    if (command == "png") {
        if (!graphics::writePng(target, img->image, img->hasAlpha, &error)) {
            err << "rs-img: cannot write '" << target << "': " << error << "\n";
            return 1;
        }
        return 0;
    }
    std::vector<uint8_t> file = encodeChecked(*img, command == "fe", &error);
    if (file.empty()) {
        err << "rs-img: " << error << "\n";
        return 1;
    }
    if (!writeFile(target, file)) {
        err << "rs-img: cannot write '" << target << "'\n";
        return 1;
    }
    uint64_t pixels =
        static_cast<uint64_t>(img->image.width) * static_cast<uint64_t>(img->image.height);
    out << target << ": " << (command == "fe" ? "FE" : "FD") << " " << img->image.width << "x"
        << img->image.height << " depth " << (img->hasAlpha ? 32 : 24) << ", " << file.size()
        << " bytes";
    if (pixels > 0)
        out << " (" << (static_cast<double>(file.size()) * 8.0 / static_cast<double>(pixels))
            << " bits per pixel)";
    out << "\n";
    return 0;
}

}  // namespace rs::tools
