// SPDX-License-Identifier: GPL-3.0-or-later
#include "Pages/MediaPicture.h"

#include <QFile>
#include <QImageReader>
#include <libheif/heif.h>
#include <memory>

namespace {
constexpr int LargestSide = 16384;  // a picture of a phone is far smaller: bigger ones are refused

// Whether the file starts as a HEIF file (HEIC or AVIF), which Qt does not read itself.
bool IsHeif(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = file.read(32);
    const heif_filetype_result kind =
        heif_check_filetype(reinterpret_cast<const std::uint8_t*>(head.constData()), static_cast<int>(head.size()));
    return kind == heif_filetype_yes_supported || kind == heif_filetype_maybe;
}

struct HeifContextFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HeifHandleFree {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct HeifImageFree {
    void operator()(heif_image* i) const { heif_image_release(i); }
};

// The primary picture of a HEIF file; its rotation and mirroring are applied by libheif.
class HeifPicture {
public:
    explicit HeifPicture(const QString& path) : Context(heif_context_alloc()) {
        if (!Context) return;
        heif_context_set_maximum_image_size_limit(Context.get(), LargestSide);
        if (heif_context_read_from_file(Context.get(), QFile::encodeName(path).constData(), nullptr).code != heif_error_Ok)
            return;
        heif_image_handle* handle = nullptr;
        if (heif_context_get_primary_image_handle(Context.get(), &handle).code == heif_error_Ok) Handle.reset(handle);
    }
    QSize Size() const {
        return Handle ? QSize(heif_image_handle_get_width(Handle.get()), heif_image_handle_get_height(Handle.get())) : QSize();
    }
    QImage Decode() const {
        if (!Handle) return {};
        heif_image* decoded = nullptr;
        if (heif_decode_image(Handle.get(), &decoded, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr).code !=
            heif_error_Ok)
            return {};
        const std::unique_ptr<heif_image, HeifImageFree> image(decoded);
        int stride = 0;
        const std::uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
        const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
        const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
        if (!plane || width <= 0 || height <= 0 || stride < width * 4) return {};
        return QImage(plane, width, height, stride, QImage::Format_RGBA8888).copy();  // owns its bytes
    }

private:
    std::unique_ptr<heif_context, HeifContextFree> Context;
    std::unique_ptr<heif_image_handle, HeifHandleFree> Handle;
};

bool Sensible(QSize size) {
    return size.isValid() && !size.isEmpty() && size.width() <= LargestSide && size.height() <= LargestSide;
}

// The size as shown: a picture turned by a quarter has its sides swapped.
QSize Oriented(const QImageReader& reader, QSize stored) {
    return reader.transformation() & QImageIOHandler::TransformationRotate90 ? stored.transposed() : stored;
}
}  // namespace

QSize FitInside(QSize size, QSize box) {
    if (size.isEmpty() || box.isEmpty()) return {};
    if (size.width() <= box.width() && size.height() <= box.height()) return size;
    return size.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QSize PictureSize(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (reader.canRead()) {
        const QSize stored = reader.size();
        return Sensible(stored) ? Oriented(reader, stored) : QSize();
    }
    if (!IsHeif(path)) return {};
    const QSize size = HeifPicture(path).Size();
    return Sensible(size) ? size : QSize();
}

QImage ReadScaledPicture(const QString& path, QSize box) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (reader.canRead()) {
        const QSize stored = reader.size();
        if (stored.isValid() && !Sensible(stored)) return {};
        if (stored.isValid()) {
            // Scaled while decoding (a JPEG then decodes only what it needs): the box is
            // turned with the picture.
            const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
            const QSize fit = FitInside(turned ? stored.transposed() : stored, box);
            reader.setScaledSize(turned ? fit.transposed() : fit);
        }
        QImage image = reader.read();
        if (image.isNull()) return {};
        return image.size() == FitInside(image.size(), box) ? image
                                                             : image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    if (!IsHeif(path)) return {};
    const HeifPicture heif(path);
    if (!Sensible(heif.Size())) return {};
    const QImage image = heif.Decode();
    if (image.isNull()) return {};
    return image.scaled(FitInside(image.size(), box), Qt::KeepAspectRatio, Qt::SmoothTransformation);
}
