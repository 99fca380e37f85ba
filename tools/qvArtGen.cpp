// Turns the text source of the program's art into PNG files.
//
//   qvArtGen <sprites.txt> <icons.txt> <output folder>
//
// writes <output>/sprites/chara<k>_pose<p>.png and <output>/icons/<name>_<size>.png.
//
// Source format (one statement a line; '#' starts a comment line):
//   colour <c> <RRGGBB|none>   palette letter; before the first figure it is shared
//                              by all figures of the file, inside a figure it is
//                              the figure's own (and may override a shared one)
//   sprite <k> <name>          starts character k (0..5)
//   icon <name>                starts an icon
//   size <w> <h>               design size in "pixels"
//   scale <n>                  sprite: each design pixel becomes n x n pixels
//   sizes <s>...               icon: output edge lengths, each a multiple of w
//   body                       rows shared by every pose (sprite), or all rows (icon)
//   pose <p>                   the remaining rows of pose p (1..3)
//   end                        closes the figure
// Rows are exactly w letters long; "none" is fully transparent.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QList>
#include <QMap>
#include <QTextStream>

#include <cstdio>
#include <optional>

namespace {

struct Figure {
    enum Kind { Sprite, Icon } kind = Sprite;
    QString name;
    int index = -1;
    int width = 0;
    int height = 0;
    int scale = 1;
    QList<int> sizes;
    QHash<QChar, QRgb> palette;
    QStringList body;
    QMap<int, QStringList> poses;
    int line = 0;
};

class Parser {
public:
    explicit Parser(QString fileName) : m_fileName(std::move(fileName)) {}

    bool parse(QList<Figure> &figures)
    {
        QFile file(m_fileName);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return fail(0, QStringLiteral("cannot open the file"));
        QTextStream in(&file);
        QHash<QChar, QRgb> shared;
        std::optional<Figure> current;
        QStringList *rows = nullptr;
        int lineNo = 0;
        while (!in.atEnd()) {
            const QString raw = in.readLine();
            ++lineNo;
            const QString line = raw.trimmed();
            if (line.isEmpty() || line.startsWith(u'#'))
                continue;
            const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
            const QString &key = words.first();
            if (key == u"colour") {
                if (words.size() != 3 || words[1].size() != 1)
                    return fail(lineNo, QStringLiteral("colour wants a letter and RRGGBB or none"));
                QRgb rgb = 0;
                if (words[2] != u"none") {
                    bool ok = false;
                    const uint value = words[2].toUInt(&ok, 16);
                    if (!ok || words[2].size() != 6)
                        return fail(lineNo, QStringLiteral("bad colour ") + words[2]);
                    rgb = 0xff000000u | value;
                }
                (current ? current->palette : shared).insert(words[1].at(0), rgb);
                rows = nullptr;
            } else if (key == u"sprite" || key == u"icon") {
                if (current)
                    return fail(lineNo, QStringLiteral("figure not closed with end"));
                current.emplace();
                current->line = lineNo;
                current->palette = shared;
                if (key == u"sprite") {
                    bool ok = false;
                    current->kind = Figure::Sprite;
                    current->index = words.value(1).toInt(&ok);
                    if (!ok || current->index < 0)
                        return fail(lineNo, QStringLiteral("sprite wants an index"));
                    current->name = words.mid(2).join(u' ');
                } else {
                    current->kind = Figure::Icon;
                    current->name = words.value(1);
                    if (current->name.isEmpty())
                        return fail(lineNo, QStringLiteral("icon wants a name"));
                }
                rows = nullptr;
            } else if (!current) {
                return fail(lineNo, QStringLiteral("statement outside a figure: ") + key);
            } else if (key == u"size") {
                current->width = words.value(1).toInt();
                current->height = words.value(2).toInt();
                if (current->width <= 0 || current->height <= 0)
                    return fail(lineNo, QStringLiteral("bad size"));
            } else if (key == u"scale") {
                current->scale = words.value(1).toInt();
                if (current->scale <= 0)
                    return fail(lineNo, QStringLiteral("bad scale"));
            } else if (key == u"sizes") {
                for (int i = 1; i < words.size(); ++i)
                    current->sizes.append(words[i].toInt());
            } else if (key == u"body") {
                rows = &current->body;
            } else if (key == u"pose") {
                const int pose = words.value(1).toInt();
                if (pose < 1 || pose > 3 || current->poses.contains(pose))
                    return fail(lineNo, QStringLiteral("bad or repeated pose"));
                rows = &current->poses[pose];
            } else if (key == u"end") {
                if (!check(*current))
                    return false;
                figures.append(*current);
                current.reset();
                rows = nullptr;
            } else if (rows && words.size() == 1) {
                if (line.size() != current->width)
                    return fail(lineNo, QStringLiteral("row is %1 letters long, not %2")
                                            .arg(line.size())
                                            .arg(current->width));
                for (QChar c : line)
                    if (!current->palette.contains(c))
                        return fail(lineNo, QStringLiteral("letter not in the palette: ") + c);
                rows->append(line);
            } else {
                return fail(lineNo, QStringLiteral("unknown statement: ") + key);
            }
        }
        if (current)
            return fail(lineNo, QStringLiteral("last figure not closed with end"));
        return true;
    }

private:
    bool check(const Figure &f)
    {
        if (f.width == 0)
            return fail(f.line, QStringLiteral("figure without size"));
        if (f.kind == Figure::Icon) {
            if (f.body.size() != f.height)
                return fail(f.line, QStringLiteral("icon has %1 rows, not %2").arg(f.body.size()).arg(f.height));
            if (f.sizes.isEmpty())
                return fail(f.line, QStringLiteral("icon without sizes"));
            for (int s : f.sizes)
                if (s <= 0 || s % f.width != 0 || f.width != f.height)
                    return fail(f.line, QStringLiteral("icon size %1 is no multiple of the square design").arg(s));
            return true;
        }
        if (f.poses.size() != 3)
            return fail(f.line, QStringLiteral("sprite needs poses 1, 2 and 3"));
        for (auto it = f.poses.cbegin(); it != f.poses.cend(); ++it)
            if (f.body.size() + it.value().size() != f.height)
                return fail(f.line, QStringLiteral("pose %1 has %2 rows with the body, not %3")
                                        .arg(it.key())
                                        .arg(f.body.size() + it.value().size())
                                        .arg(f.height));
        return true;
    }

    bool fail(int line, const QString &what)
    {
        const QString text = QStringLiteral("%1:%2: %3\n").arg(m_fileName).arg(line).arg(what);
        std::fputs(text.toLocal8Bit().constData(), stderr);
        return false;
    }

    QString m_fileName;
};

QImage render(const QStringList &rows, const QHash<QChar, QRgb> &palette, int width, int scale)
{
    QImage image(width * scale, int(rows.size()) * scale, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        const QString &row = rows.at(y / scale);
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = palette.value(row.at(x / scale));
    }
    return image;
}

bool save(const QImage &image, const QString &path)
{
    if (image.save(path, "PNG"))
        return true;
    std::fputs(QStringLiteral("cannot write %1\n").arg(path).toLocal8Bit().constData(), stderr);
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fputs("usage: qvArtGen <sprites.txt> <icons.txt> <output folder>\n", stderr);
        return 2;
    }
    QList<Figure> figures;
    if (!Parser(args[1]).parse(figures) || !Parser(args[2]).parse(figures))
        return 1;

    const QDir out(args[3]);
    if (!out.mkpath(QStringLiteral("sprites")) || !out.mkpath(QStringLiteral("icons"))) {
        std::fputs("cannot create the output folders\n", stderr);
        return 1;
    }
    for (const Figure &f : figures) {
        if (f.kind == Figure::Sprite) {
            for (auto it = f.poses.cbegin(); it != f.poses.cend(); ++it) {
                const QImage image = render(f.body + it.value(), f.palette, f.width, f.scale);
                const QString name = QStringLiteral("sprites/chara%1_pose%2.png").arg(f.index).arg(it.key());
                if (!save(image, out.filePath(name)))
                    return 1;
            }
        } else {
            for (int size : f.sizes) {
                const QImage image = render(f.body, f.palette, f.width, size / f.width);
                const QString name = QStringLiteral("icons/%1_%2.png").arg(f.name).arg(size);
                if (!save(image, out.filePath(name)))
                    return 1;
            }
        }
    }
    return 0;
}
