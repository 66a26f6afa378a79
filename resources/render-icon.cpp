// Draws the program's icon, a white R on a blue rounded square, at the sizes the desktop's icon
// theme asks for:  render-icon OUTDIR SIZE...  writes OUTDIR/<SIZE>x<SIZE>/apps/rinoza.png.
// Drawn rather than scaled from the 32-pixel picture, so that the large sizes stay sharp.

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace {

QImage icon(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Designed on a 32-unit grid.
    p.scale(size / 32.0, size / 32.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2B, 0x6C, 0xB0));
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);

    QPen pen(Qt::white, 3.6, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QPainterPath r;
    r.moveTo(11.5, 25);
    r.lineTo(11.5, 8.3);
    r.lineTo(17, 8.3);
    r.arcTo(QRectF(12.6, 8.3, 9.2, 8.4), 90, -180);
    r.lineTo(11.5, 16.7);
    p.drawPath(r);
    QPainterPath leg;
    leg.moveTo(16.2, 16.7);
    leg.lineTo(21.8, 25);
    p.drawPath(leg);
    return img;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: render-icon OUTDIR SIZE...\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const QString dir = out + QStringLiteral("/%1x%1/apps").arg(size);
        if (size < 8 || !QDir().mkpath(dir) || !icon(size).save(dir + QStringLiteral("/rinoza.png"))) {
            std::fprintf(stderr, "render-icon: cannot write the %s-pixel icon under %s\n", argv[i], argv[1]);
            return 1;
        }
    }
    return 0;
}
