#pragma once
#include <QImage>
#include <QRegion>
#include <memory>

class QWidget;

// Shows pixels in a widget's own X11 window straight from an image in memory shared with
// the X server (MIT-SHM), past Qt's backing store. Qt's store copies every frame once more
// and waits for the server after each one; here a frame costs the copy into this image and
// one request, and the wait for the server to have read it falls due only before the
// image is written again, a frame later, when it is long over.
//
// Only where it is plainly the same picture: an X11 server on this machine, a true-colour
// window whose pixels are laid out as QImage::Format_RGB32's, and one screen pixel per
// widget pixel. Elsewhere (Wayland, the offscreen platform, a scaled screen) there is none
// and the widget paints through Qt as usual.
class X11Surface {
public:
    // For a widget that has its own native window (WA_NativeWindow); null when the window
    // does not qualify or the server lacks MIT-SHM. Whether it can share memory with this
    // process (not when it runs on another machine) shows at the first Image().
    static std::unique_ptr<X11Surface> For(QWidget* widget);
    ~X11Surface();
    X11Surface(const X11Surface&) = delete;
    X11Surface& operator=(const X11Surface&) = delete;

    // The shared image, of the given size, ready to be written: the server has read what
    // was sent from it. Its pixels stay while the size does; a new size starts black.
    // A null image when no segment of that size could be made.
    QImage& Image(QSize size);
    // Another image over the memory of Image(size), for a frame to be drawn straight into
    // it; the memory stays mapped while any copy of it lives, also past this surface.
    QImage Canvas(QSize size);
    // The image as it is, written or not.
    const QImage& Current() const { return image_; }
    // Sends the part `region` of the image to the same place in the window.
    void Put(const QRegion& region);
    // Paints the region of the window black.
    void Fill(const QRegion& region);

private:
    struct X;
    explicit X11Surface(QWidget* widget, std::unique_ptr<X> x);
    void AwaitRead();
    bool Drawable();
    QWidget* widget_;
    std::unique_ptr<X> x_;
    QImage image_;
};
