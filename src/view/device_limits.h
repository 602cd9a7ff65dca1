#pragma once

#include <QSize>
#include <QString>

class QRhi;

namespace sorvane {

// Whether a view's colour texture (with its mip chain) and depth-stencil buffer of `size` fit
// the device that `rhi` renders on: no side beyond the device's largest 2D image
// (maxImageDimension2D) and no more bytes than its largest device-local memory heap. Returns an
// empty string when they fit, else a warning that names the limit.
QString check_texture_fits_device(QRhi* rhi, QSize size);

}  // namespace sorvane
