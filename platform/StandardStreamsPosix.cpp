#include "platform/StandardStreams.h"

#include <cstdio>

QStringList StandardStreams::arguments(int argc, char **argv)
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list.append(QString::fromLocal8Bit(argv[i]));
    return list;
}

QList<QByteArray> StandardStreams::nativeArguments(int argc, char **argv)
{
    QList<QByteArray> list;
    for (int i = 1; i < argc; ++i)
        list.append(QByteArray(argv[i]));
    return list;
}

void StandardStreams::keepLineEnds() {}

void StandardStreams::write(const QString &text, Stream stream)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream == Stream::Output ? stdout : stderr);
}
