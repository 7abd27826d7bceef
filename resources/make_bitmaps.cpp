// Draws the preview's three pictures as 24-bit bitmaps for KVSettng.RLB:
//   monitor.bmp  the monitor; its screen lies at (16, 17) with the desktop picture's size
//   desktop.bmp  the desktop shown, scaled, in the monitor's screen
//   overlay.bmp  drawn at (16, 121) when the whole desktop is on the screen
// Pure yellow (255, 255, 0) is transparent.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Colour {
    std::uint8_t r, g, b;
};

const Colour kKey{255, 255, 0};
const Colour kBlack{0, 0, 0};
const Colour kWhite{255, 255, 255};
const Colour kLight{192, 192, 192};
const Colour kGrey{128, 128, 128};
const Colour kDark{64, 64, 64};
const Colour kTeal{0, 128, 128};
const Colour kNavy{0, 0, 128};
const Colour kGreen{0, 192, 0};
const Colour kDarkGreen{0, 64, 0};

class Picture {
public:
    Picture(int width, int height, Colour fill) : width_(width), height_(height), pixels_(width * height, fill) {}

    void Fill(int left, int top, int right, int bottom, Colour colour)
    {
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                if (x >= 0 && y >= 0 && x < width_ && y < height_) {
                    pixels_[y * width_ + x] = colour;
                }
            }
        }
    }

    // A raised or sunken edge, one pixel wide, inside the rectangle.
    void Edge(int left, int top, int right, int bottom, Colour topLeft, Colour bottomRight)
    {
        Fill(left, top, right, top + 1, topLeft);
        Fill(left, top, left + 1, bottom, topLeft);
        Fill(left, bottom - 1, right, bottom, bottomRight);
        Fill(right - 1, top, right, bottom, bottomRight);
    }

    bool Save(const std::string& path) const
    {
        const int rowBytes = (width_ * 3 + 3) & ~3;
        const std::uint32_t imageBytes = static_cast<std::uint32_t>(rowBytes * height_);
        std::vector<std::uint8_t> file;
        auto put16 = [&](std::uint32_t v) {
            file.push_back(static_cast<std::uint8_t>(v));
            file.push_back(static_cast<std::uint8_t>(v >> 8));
        };
        auto put32 = [&](std::uint32_t v) {
            put16(v & 0xFFFF);
            put16(v >> 16);
        };
        file.push_back('B');
        file.push_back('M');
        put32(14 + 40 + imageBytes);
        put32(0);
        put32(14 + 40);
        put32(40);
        put32(static_cast<std::uint32_t>(width_));
        put32(static_cast<std::uint32_t>(height_));
        put16(1);
        put16(24);
        put32(0);
        put32(imageBytes);
        put32(2835);
        put32(2835);
        put32(0);
        put32(0);
        for (int y = height_ - 1; y >= 0; --y) {
            for (int x = 0; x < width_; ++x) {
                const Colour& c = pixels_[y * width_ + x];
                file.push_back(c.b);
                file.push_back(c.g);
                file.push_back(c.r);
            }
            for (int pad = width_ * 3; pad < rowBytes; ++pad) {
                file.push_back(0);
            }
        }
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
        return static_cast<bool>(out);
    }

private:
    int width_;
    int height_;
    std::vector<Colour> pixels_;
};

const int kScreenLeft = 16;
const int kScreenTop = 17;
const int kScreenWidth = 152;
const int kScreenHeight = 100;
const int kOverlayTop = 121;
const int kOverlayWidth = 152;
const int kOverlayHeight = 12;

Picture Monitor()
{
    Picture p(184, 170, kKey);
    p.Fill(4, 4, 180, 140, kLight);
    p.Edge(4, 4, 180, 140, kWhite, kDark);
    p.Edge(12, 13, 172, 121, kGrey, kWhite);
    p.Fill(kScreenLeft, kScreenTop, kScreenLeft + kScreenWidth, kScreenTop + kScreenHeight, kBlack);
    p.Fill(150, 126, 160, 132, kDarkGreen);
    p.Fill(78, 140, 106, 150, kGrey);
    p.Fill(52, 150, 132, 160, kLight);
    p.Edge(52, 150, 132, 160, kWhite, kDark);
    return p;
}

Picture Desktop()
{
    Picture p(kScreenWidth, kScreenHeight, kTeal);
    // A window with its title bar.
    p.Fill(40, 14, 128, 70, kLight);
    p.Edge(40, 14, 128, 70, kWhite, kDark);
    p.Fill(42, 16, 126, 24, kNavy);
    p.Fill(43, 26, 125, 68, kWhite);
    // Icons down the left.
    for (int i = 0; i < 3; ++i) {
        p.Fill(8, 8 + i * 22, 22, 22 + i * 22, kLight);
        p.Edge(8, 8 + i * 22, 22, 22 + i * 22, kWhite, kDark);
    }
    // The taskbar with its start button.
    p.Fill(0, kScreenHeight - 10, kScreenWidth, kScreenHeight, kLight);
    p.Edge(0, kScreenHeight - 10, kScreenWidth, kScreenHeight, kWhite, kDark);
    p.Fill(2, kScreenHeight - 8, 24, kScreenHeight - 2, kGrey);
    return p;
}

Picture Overlay()
{
    Picture p(kOverlayWidth, kOverlayHeight, kLight);
    p.Edge(0, 0, kOverlayWidth, kOverlayHeight, kGrey, kWhite);
    p.Fill(4, 3, 12, 9, kGreen);
    p.Fill(16, 5, 120, 7, kDark);
    return p;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_bitmaps OUTPUT_DIRECTORY\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = Monitor().Save(dir + "/monitor.bmp") && Desktop().Save(dir + "/desktop.bmp") &&
              Overlay().Save(dir + "/overlay.bmp");
    if (!ok) {
        std::fprintf(stderr, "make_bitmaps: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
