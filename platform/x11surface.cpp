#include "platform/x11surface.h"

#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <vector>
#include <xcb/shm.h>
#include <xcb/xcb.h>

namespace {

// A System V segment the server has attached as well; removed at once, so that it goes
// away with the last of the two even should this process die.
struct Segment {
    xcb_shm_seg_t id = 0;
    uchar* bits = nullptr;
};

Segment Attach(xcb_connection_t* c, size_t bytes) {
    const int shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (shmid < 0) return {};
    void* const address = shmat(shmid, nullptr, 0);
    Segment s;
    if (address != reinterpret_cast<void*>(-1)) {
        s.id = xcb_generate_id(c);
        // Read only: the server never writes into our frames.
        xcb_generic_error_t* error = xcb_request_check(c, xcb_shm_attach_checked(c, s.id, uint32_t(shmid), 1));
        if (error) {
            std::free(error);  // a server on another machine, say
            shmdt(address);
            s = {};
        } else {
            s.bits = static_cast<uchar*>(address);
        }
    }
    shmctl(shmid, IPC_RMID, nullptr);
    return s;
}

// The segment, detached when the surface and every canvas over it are gone.
std::shared_ptr<Segment> Shared(xcb_connection_t* c, Segment s) {
    if (!s.bits) return nullptr;
    return std::shared_ptr<Segment>(new Segment(s), [c](Segment* s) {
        xcb_shm_detach(c, s->id);
        xcb_flush(c);
        shmdt(s->bits);
        delete s;
    });
}

// Whether the window's pixels are QImage::Format_RGB32's: 32 bits a pixel, least
// significant byte first, blue in the low byte, then green, then red.
bool LaidOutAsRgb32(xcb_connection_t* c, xcb_window_t window, uint8_t* depth) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) return false;
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    bool ok = false;
    if (geometry && attributes) {
        *depth = geometry->depth;
        bool format = false;
        for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
            if (f.data->depth == geometry->depth) format = f.data->bits_per_pixel == 32 && f.data->scanline_pad == 32;
        bool visual = false;
        for (auto s = xcb_setup_roots_iterator(setup); s.rem; xcb_screen_next(&s))
            for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d))
                for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
                    if (v.data->visual_id == attributes->visual)
                        visual = v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR && v.data->red_mask == 0xff0000 &&
                                 v.data->green_mask == 0xff00 && v.data->blue_mask == 0xff;
        ok = format && visual && (geometry->depth == 24 || geometry->depth == 32);
    }
    std::free(geometry);
    std::free(attributes);
    return ok;
}

}  // namespace

struct X11Surface::X {
    xcb_connection_t* c = nullptr;
    xcb_window_t window = 0;  // the window the graphics context was made for
    xcb_gcontext_t gc = 0;
    uint8_t depth = 0;
    std::shared_ptr<Segment> segment;
    bool awaiting = false;  // a request was sent after the last put, and not yet answered
    xcb_get_input_focus_cookie_t read{};
};

std::unique_ptr<X11Surface> X11Surface::For(QWidget* widget) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection() || !widget || widget->devicePixelRatioF() != 1) return nullptr;
    auto x = std::make_unique<X>();
    x->c = x11->connection();
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(x->c, &xcb_shm_id);
    if (!shm || !shm->present) return nullptr;
    std::unique_ptr<X11Surface> surface(new X11Surface(widget, std::move(x)));
    if (!surface->Drawable()) return nullptr;
    return surface;
}

X11Surface::X11Surface(QWidget* widget, std::unique_ptr<X> x) : widget_(widget), x_(std::move(x)) {}

X11Surface::~X11Surface() {
    AwaitRead();
    image_ = QImage();
    x_->segment.reset();
    if (x_->gc) xcb_free_gc(x_->c, x_->gc);
    xcb_flush(x_->c);
}

bool X11Surface::Drawable() {
    // Should the window be made anew, the graphics context follows it.
    const auto window = xcb_window_t(widget_->winId());
    if (window == x_->window && x_->gc) return true;
    if (x_->gc) xcb_free_gc(x_->c, x_->gc);
    x_->gc = 0;
    x_->window = window;
    uint8_t depth = 0;
    if (!window || !LaidOutAsRgb32(x_->c, window, &depth)) return false;
    x_->depth = depth;
    x_->gc = xcb_generate_id(x_->c);
    // Black for Fill; no exposure events for the copies, which nothing would read.
    const uint32_t values[] = {0, 0};
    xcb_create_gc(x_->c, x_->gc, window, XCB_GC_FOREGROUND | XCB_GC_GRAPHICS_EXPOSURES, values);
    return true;
}

void X11Surface::AwaitRead() {
    if (!x_->awaiting) return;
    // The server answers in order: once this is answered, the put before it was read.
    std::free(xcb_get_input_focus_reply(x_->c, x_->read, nullptr));
    x_->awaiting = false;
}

QImage& X11Surface::Image(QSize size) {
    AwaitRead();
    if (image_.size() == size && !image_.isNull()) return image_;
    image_ = QImage();
    x_->segment.reset();
    if (size.isEmpty()) return image_;
    const size_t bytes = size_t(size.width()) * size_t(size.height()) * 4;
    x_->segment = Shared(x_->c, Attach(x_->c, bytes));
    if (!x_->segment) return image_;
    image_ = QImage(x_->segment->bits, size.width(), size.height(), size.width() * 4, QImage::Format_RGB32);
    image_.fill(Qt::black);
    return image_;
}

QImage X11Surface::Canvas(QSize size) {
    const QImage& image = Image(size);
    if (image.isNull()) return QImage();
    // Its own image data, not a copy of image_'s: writing into it never detaches either.
    auto* keep = new std::shared_ptr<Segment>(x_->segment);
    return QImage(
        (*keep)->bits, size.width(), size.height(), size.width() * 4, QImage::Format_RGB32,
        [](void* keep) { delete static_cast<std::shared_ptr<Segment>*>(keep); }, keep);
}

void X11Surface::Put(const QRegion& region) {
    const QRegion part = region & image_.rect();
    if (part.isEmpty() || !x_->segment || !Drawable()) return;
    for (const QRect& r : part)
        xcb_shm_put_image(x_->c, x_->window, x_->gc, uint16_t(image_.width()), uint16_t(image_.height()),
                          uint16_t(r.x()), uint16_t(r.y()), uint16_t(r.width()), uint16_t(r.height()),
                          int16_t(r.x()), int16_t(r.y()), x_->depth, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, x_->segment->id, 0);
    // Asked now, answered long before the image is next written: no round trip is waited
    // for. An answer still due is not needed: this one comes after it.
    if (x_->awaiting) xcb_discard_reply(x_->c, x_->read.sequence);
    x_->read = xcb_get_input_focus(x_->c);
    x_->awaiting = true;
    xcb_flush(x_->c);
}

void X11Surface::Fill(const QRegion& region) {
    if (region.isEmpty() || !Drawable()) return;
    std::vector<xcb_rectangle_t> rects;
    for (const QRect& r : region)
        rects.push_back({int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()), uint16_t(r.height())});
    xcb_poly_fill_rectangle(x_->c, x_->window, x_->gc, uint32_t(rects.size()), rects.data());
    xcb_flush(x_->c);
}
