// bench_settings [megabytes] [rounds]
//
// An editor settings file of the given size (the 22 colour sections, the font and
// many lines the program does not know, as a shop's hand-kept file may hold),
// saved with the colour window's writer. Baselines in the same run: the same 22
// keys written one at a time (one rewrite each), and `cp` of the file.
#include "app/AppState.h"
#include "app/Settings.h"
#include "platform/ProfileFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QByteArray settingsFile(qint64 bytes)
{
    QByteArray out;
    out.reserve(bytes + 4096);
    for (int i = 0; i < GCodeColours::Count; ++i)
        out += "[" + QByteArray(Settings::colourSection(i)) + "]\r\nValor=" + QByteArray::number(i) + "\r\n";
    out += "[FONTE]\r\nTIPO=DejaVu Sans Mono\r\nTAMANHO=11\r\n[NOTES]\r\n";
    for (int n = 0; out.size() < bytes; ++n)
        out += "Note" + QByteArray::number(n) + "=kept by the shop, never read by the program\r\n";
    return out;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int megabytes = argc > 1 ? std::atoi(argv[1]) : 15;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    QTemporaryDir dir;
    AppState state;
    state.AppDirectory = dir.path() + QLatin1Char('/');
    const QByteArray content = settingsFile(qint64(megabytes) * 1024 * 1024);
    const QString path = state.editorSettingsPath();
    const auto reset = [&] {
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(content);
    };
    int colours[22];
    for (int i = 0; i < 22; ++i)
        colours[i] = 0x10000 + i;

    std::vector<double> oneRewrite, keyByKey, copy;
    for (int r = 0; r < rounds; ++r) {
        reset();
        QElapsedTimer t;
        t.start();
        QString error;
        if (!Settings::writeColours(state, colours, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        oneRewrite.push_back(t.nsecsElapsed() / 1e6);

        reset();
        t.restart();
        ProfileFile ini(path);
        for (int i = 0; i < 22; ++i)
            ini.writeInteger(QLatin1String(Settings::colourSection(i)), QStringLiteral("Valor"), colours[i], &error);
        keyByKey.push_back(t.nsecsElapsed() / 1e6);

        t.restart();
        QProcess::execute(QStringLiteral("cp"), {path, path + QStringLiteral(".copy")});
        copy.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("editor settings file: %d MB, %d rounds (medians)\n", megabytes, rounds);
    std::printf("save 22 colours, one rewrite:   %8.1f ms\n", median(oneRewrite));
    std::printf("the same, key by key (baseline): %8.1f ms  ratio %.1fx\n", median(keyByKey),
                median(keyByKey) / median(oneRewrite));
    std::printf("cp of the file (baseline):       %8.1f ms  ratio %.2f\n", median(copy),
                median(oneRewrite) / median(copy));
    return 0;
}
