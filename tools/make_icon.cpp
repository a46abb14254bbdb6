// Draws the program's icon, an open book under a magnifying glass in the window's navy and
// gold, and writes it as a scalable SVG and as PNGs of the sizes the desktop asks for.
//
//   make_icon <output folder>     writes pelnoria.svg and pelnoria-48/128/256.png
//
// The shapes are listed once, on a 256-unit canvas; the SVG is written from the list and the
// PNGs are painted from the same list, so the two forms cannot drift apart.
#include <QColor>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QString>
#include <cstdio>
#include <vector>

namespace {

constexpr int kCanvas = 256;

const QColor kNavy(2, 22, 30);
const QColor kLens(3, 37, 50);
const QColor kGold(192, 178, 137);
const QColor kDarkGold(163, 143, 86);

// One shape: an SVG path ("M x y", "L x y", "Q cx cy x y", "Z") with a fill, a stroke, or both.
struct Shape {
    const char* path;
    QColor fill;    // invalid: no fill
    QColor stroke;  // invalid: no stroke
    double strokeWidth = 0;
};

const std::vector<Shape>& shapes() {
    static const std::vector<Shape> list = {
        // The navy tile with rounded corners.
        {"M 48 8 L 208 8 Q 248 8 248 48 L 248 208 Q 248 248 208 248 L 48 248 Q 8 248 8 208 "
         "L 8 48 Q 8 8 48 8 Z",
         kNavy,
         {},
         0},
        // The open book: two gold pages meeting at the spine.
        {"M 128 70 Q 88 50 34 60 L 34 186 Q 88 176 128 198 Z", kGold, {}, 0},
        {"M 128 70 Q 168 50 222 60 L 222 186 Q 168 176 128 198 Z", kGold, {}, 0},
        {"M 128 72 L 128 196", {}, kNavy, 4},
        // Lines of text on the left page.
        {"M 50 90 Q 84 82 114 94 M 50 114 Q 84 106 114 118 M 50 138 Q 84 130 114 142 "
         "M 50 162 Q 84 154 114 166",
         {},
         kNavy,
         6},
        // The magnifying glass over the right page: a navy margin so that the gold ring
        // stands off the gold page, the ring with its lens, the handle.
        {"M 210 176 L 226 192", {}, kNavy, 34},
        {"M 120 132 Q 120 84 168 84 Q 216 84 216 132 Q 216 180 168 180 Q 120 180 120 132 Z",
         kNavy,
         {},
         0},
        {"M 132 132 Q 132 96 168 96 Q 204 96 204 132 Q 204 168 168 168 Q 132 168 132 132 Z", kLens,
         kGold, 12},
        {"M 204 170 L 226 192", {}, kDarkGold, 20},
        // A glint on the lens.
        {"M 148 120 Q 154 108 166 106", {}, kGold, 5},
    };
    return list;
}

QPainterPath painterPath(const char* svgPath) {
    QPainterPath path;
    const QStringList tokens =
        QString::fromLatin1(svgPath).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    auto number = [&](int i) { return tokens.at(i).toDouble(); };
    for (int i = 0; i < tokens.size();) {
        const QString op = tokens.at(i);
        if (op == QLatin1String("M")) {
            path.moveTo(number(i + 1), number(i + 2));
            i += 3;
        } else if (op == QLatin1String("L")) {
            path.lineTo(number(i + 1), number(i + 2));
            i += 3;
        } else if (op == QLatin1String("Q")) {
            path.quadTo(number(i + 1), number(i + 2), number(i + 3), number(i + 4));
            i += 5;
        } else if (op == QLatin1String("Z")) {
            path.closeSubpath();
            i += 1;
        } else {
            std::fprintf(stderr, "unknown path step %s\n", qPrintable(op));
            std::exit(1);
        }
    }
    return path;
}

QString svgColour(const QColor& colour) {
    return colour.isValid() ? colour.name() : QStringLiteral("none");
}

QByteArray svg() {
    QString out = QStringLiteral(
                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!-- Pelnoria's icon: an open book under a magnifying glass. Written by "
                      "tools/make_icon. -->\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" "
                      "viewBox=\"0 0 %1 %1\">\n")
                      .arg(kCanvas);
    for (const Shape& s : shapes()) {
        out += QStringLiteral("  <path d=\"%1\" fill=\"%2\"")
                   .arg(QString::fromLatin1(s.path), svgColour(s.fill));
        if (s.stroke.isValid()) {
            out += QStringLiteral(
                       " stroke=\"%1\" stroke-width=\"%2\" stroke-linecap=\"round\" "
                       "stroke-linejoin=\"round\"")
                       .arg(svgColour(s.stroke))
                       .arg(s.strokeWidth);
        }
        out += QStringLiteral("/>\n");
    }
    out += QStringLiteral("</svg>\n");
    return out.toUtf8();
}

QImage png(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(double(size) / kCanvas, double(size) / kCanvas);
    for (const Shape& s : shapes()) {
        const QPainterPath path = painterPath(s.path);
        if (s.fill.isValid())
            p.fillPath(path, s.fill);
        if (s.stroke.isValid()) {
            p.strokePath(path,
                         QPen(s.stroke, s.strokeWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        }
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icon <output folder>\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QFile file(dir + QStringLiteral("/pelnoria.svg"));
    if (!file.open(QIODevice::WriteOnly) || file.write(svg()) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        return 1;
    }
    for (int size : {48, 128, 256}) {
        const QString name = dir + QStringLiteral("/pelnoria-%1.png").arg(size);
        if (!png(size).save(name, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
            return 1;
        }
    }
    return 0;
}
