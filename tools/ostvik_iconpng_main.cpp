// ostvik-iconpng: draws the program's SVG icon as the PNG pictures of given sizes that icon
// themes want beside the scalable one, at build time.
//
//     ostvik-iconpng ICON.svg SIZE OUT.png [SIZE OUT.png ...]

#include "CommandLine.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdlib>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    constexpr CommandLine tool{
        "ostvik-iconpng",
        "usage: ostvik-iconpng ICON.svg SIZE OUT.png [SIZE OUT.png ...]\n"
        "Draws ICON.svg into a SIZE by SIZE pixel PNG for each SIZE OUT.png pair.\n"};
    if (argc == 2 && AnswersHelpOrVersion(tool, argv[1])) {
        return 0;
    }
    if (argc < 4 || argc % 2 != 0) {
        return UsageError(tool, "needs an icon and SIZE OUT.png pairs");
    }
    QSvgRenderer icon(QString::fromLocal8Bit(argv[1]));
    if (!icon.isValid()) {
        std::cerr << "ostvik-iconpng: cannot read " << argv[1] << "\n";
        return 1;
    }
    for (int i = 2; i < argc; i += 2) {
        const int size = std::atoi(argv[i]);
        if (size < 1 || size > 4096) {
            return UsageError(tool, std::string("not a size: ") + argv[i]);
        }
        QImage picture(size, size, QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        icon.render(&painter);
        painter.end();
        if (!picture.save(QString::fromLocal8Bit(argv[i + 1]), "PNG")) {
            std::cerr << "ostvik-iconpng: cannot write " << argv[i + 1] << "\n";
            return 1;
        }
    }
    return 0;
}
