// make_artwork FOLDER draws the main window's banner and logo into FOLDER as banner.png
// and logo.png. Both are opaque on the colour of the window's top band, so they show
// the same wherever PNG transparency is drawn or not.

#include <QtCore/QDir>
#include <QtCore/QString>
#include <QtGui/QFont>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>

#include <cstdio>

namespace {

// The top band's colour ($D7C1B5 as the window writes it: red 181, green 193, blue 215).
const QColor kBand(181, 193, 215);
const QColor kInk(0x23, 0x2F, 0x45);
const QColor kOrange(255, 143, 32);
const QColor kPaper(0xF4, 0xF6, 0xFA);

// A small part drawing: a plate with a notch, two holes and a slot, in orange lines.
void draw_part(QPainter& painter, const QRectF& box)
{
    const qreal w = box.width();
    const qreal h = box.height();
    QPainterPath plate;
    plate.moveTo(box.left(), box.top());
    plate.lineTo(box.left() + w * 0.62, box.top());
    plate.lineTo(box.left() + w * 0.62, box.top() + h * 0.30);
    plate.lineTo(box.right(), box.top() + h * 0.30);
    plate.lineTo(box.right(), box.bottom());
    plate.lineTo(box.left(), box.bottom());
    plate.closeSubpath();
    painter.setPen(QPen(kOrange, 1.6));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(plate);
    const qreal r = h * 0.12;
    painter.drawEllipse(QPointF(box.left() + w * 0.22, box.top() + h * 0.35), r, r);
    painter.drawEllipse(QPointF(box.left() + w * 0.22, box.top() + h * 0.72), r, r);
    painter.drawRoundedRect(QRectF(box.left() + w * 0.48, box.top() + h * 0.58, w * 0.38, h * 0.2),
                            h * 0.1, h * 0.1);
}

QImage banner()
{
    QImage image(360, 36, QImage::Format_RGB32);
    image.fill(kBand);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kInk);
    painter.drawRoundedRect(QRectF(1, 2, 358, 32), 6, 6);
    draw_part(painter, QRectF(12, 8, 34, 20));

    QFont title(QStringLiteral("Carlito"));
    title.setPixelSize(17);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(kPaper);
    painter.drawText(QRectF(58, 2, 200, 32), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("TARVEK CAD Viewer"));
    QFont tagline(QStringLiteral("Carlito"));
    tagline.setPixelSize(12);
    painter.setFont(tagline);
    painter.setPen(kBand);
    painter.drawText(QRectF(214, 2, 138, 32), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("drawings and part files"));
    return image;
}

QImage logo()
{
    QImage image(150, 36, QImage::Format_RGB32);
    image.fill(kBand);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // A diamond of two halves: the mark.
    const QPointF centre(18, 18);
    QPainterPath left;
    left.moveTo(centre.x(), centre.y() - 14);
    left.lineTo(centre.x() - 14, centre.y());
    left.lineTo(centre.x(), centre.y() + 14);
    left.closeSubpath();
    QPainterPath right;
    right.moveTo(centre.x(), centre.y() - 14);
    right.lineTo(centre.x() + 14, centre.y());
    right.lineTo(centre.x(), centre.y() + 14);
    right.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(kOrange);
    painter.drawPath(left);
    painter.setBrush(kInk);
    painter.drawPath(right);

    QFont word(QStringLiteral("Carlito"));
    word.setPixelSize(22);
    word.setBold(true);
    word.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    painter.setFont(word);
    painter.setPen(kInk);
    painter.drawText(QRectF(38, 0, 110, 36), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("TARVEK"));
    return image;
}

}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: make_artwork FOLDER\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!banner().save(folder.filePath(QStringLiteral("banner.png")), "PNG") ||
        !logo().save(folder.filePath(QStringLiteral("logo.png")), "PNG")) {
        std::fputs("make_artwork: cannot write the pictures\n", stderr);
        return 1;
    }
    return 0;
}
