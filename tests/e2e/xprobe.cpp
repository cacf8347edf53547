// Small X client for the end-to-end tests: reads the screen of the X server and closes windows.
//   xprobe pixel X Y               "r,g,b" of the screen's pixel (X, Y)
//   xprobe count X Y W H R,G,B     how many pixels of the rectangle have exactly that color
//   xprobe bbox X Y W H R,G,B      "w h x y" of the box around those pixels (nothing if none)
//   xprobe close WINDOW            asks WINDOW to close as a window manager's close button does
//                                  (a WM_PROTOCOLS client message carrying WM_DELETE_WINDOW)
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// One 8-bit channel of a TrueColor pixel, from the image's mask.
int Channel(unsigned long pixel, unsigned long mask)
{
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const unsigned long max = mask >> shift;
    return static_cast<int>(((pixel & mask) >> shift) * 255 / max);
}

// A part of the screen as the X server holds it.
class Screenshot {
public:
    Screenshot(Display* display, int x, int y, int w, int h)
        : image_(XGetImage(display, DefaultRootWindow(display), x, y, w, h, AllPlanes, ZPixmap)), w_(w), h_(h)
    {
    }
    ~Screenshot()
    {
        if (image_) XDestroyImage(image_);
    }
    Screenshot(const Screenshot&) = delete;
    Screenshot& operator=(const Screenshot&) = delete;

    bool ok() const { return image_ != nullptr; }
    Rgb At(int x, int y) const
    {
        const unsigned long p = XGetPixel(image_, x, y);
        return {Channel(p, image_->red_mask), Channel(p, image_->green_mask), Channel(p, image_->blue_mask)};
    }
    int w() const { return w_; }
    int h() const { return h_; }

private:
    XImage* image_;
    int w_, h_;
};

bool ParseColor(const char* text, Rgb* color)
{
    return std::sscanf(text, "%d,%d,%d", &color->r, &color->g, &color->b) == 3;
}

int Usage()
{
    std::fputs("usage: xprobe pixel X Y | count X Y W H R,G,B | bbox X Y W H R,G,B | close WINDOW\n", stderr);
    return 2;
}

int Run(Display* display, int argc, char** argv)
{
    const char* command = argv[1];
    if (std::strcmp(command, "close") == 0 && argc == 3) {
        const Window window = std::strtoul(argv[2], nullptr, 0);
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
        XSync(display, False);
        return sent ? 0 : 1;
    }
    if (std::strcmp(command, "pixel") == 0 && argc == 4) {
        Screenshot shot(display, std::atoi(argv[2]), std::atoi(argv[3]), 1, 1);
        if (!shot.ok()) return 1;
        const Rgb c = shot.At(0, 0);
        std::printf("%d,%d,%d\n", c.r, c.g, c.b);
        return 0;
    }
    const bool count = std::strcmp(command, "count") == 0;
    if (!(count || std::strcmp(command, "bbox") == 0) || argc != 7) return Usage();
    const int x = std::atoi(argv[2]), y = std::atoi(argv[3]), w = std::atoi(argv[4]), h = std::atoi(argv[5]);
    Rgb color{};
    if (w <= 0 || h <= 0 || !ParseColor(argv[6], &color)) return Usage();
    Screenshot shot(display, x, y, w, h);
    if (!shot.ok()) return 1;
    int n = 0, x0 = w, y0 = h, x1 = -1, y1 = -1;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            if (shot.At(i, j) == color) {
                ++n;
                x0 = std::min(x0, i), y0 = std::min(y0, j), x1 = std::max(x1, i), y1 = std::max(y1, j);
            }
    if (count)
        std::printf("%d\n", n);
    else if (n > 0)
        std::printf("%d %d %d %d\n", x1 - x0 + 1, y1 - y0 + 1, x + x0, y + y0);
    return 0;
}

// Errors such as a window that is already gone end the call with status 1, not with Xlib's exit.
int OnXError(Display*, XErrorEvent* error)
{
    std::fprintf(stderr, "xprobe: X error %d\n", error->error_code);
    std::exit(1);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) return Usage();
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fputs("xprobe: cannot open the display\n", stderr);
        return 1;
    }
    XSetErrorHandler(OnXError);
    const int status = Run(display, argc, argv);
    XCloseDisplay(display);
    return status;
}
