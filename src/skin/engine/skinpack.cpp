// Build tool: packs a skin's source (its name, variables, palette overrides and extra
// style) over the shared base into one skin file, and refuses to produce a file the
// engine would refuse.
//
//   sorvane_skinpack <out.she> <base.skin> <name.skin>

#include "skin/engine/skinfile.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QPair>
#include <QSaveFile>
#include <QStringList>

#include <algorithm>
#include <cstdio>

namespace {

using Pairs = QList<QPair<QString, QString>>;

struct Source {
    Pairs preamble;
    Pairs vars;
    Pairs palette;
    QString style;
};

bool fail(const QString& message)
{
    std::fprintf(stderr, "sorvane_skinpack: %s\n", qPrintable(message));
    return false;
}

void setPair(Pairs& pairs, const QString& key, const QString& value)
{
    for (auto& p : pairs)
        if (p.first == key) {
            p.second = value;
            return;
        }
    pairs.append({key, value});
}

bool readSource(const QString& path, Source& source)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read ") + path);
    const QString text = QString::fromUtf8(file.readAll());
    Pairs* into = &source.preamble;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line == u"[style]") {
            source.style = lines.mid(i + 1).join(u'\n');
            return true;
        }
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line == u"[vars]") {
            into = &source.vars;
            continue;
        }
        if (line == u"[palette]") {
            into = &source.palette;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            return fail(QStringLiteral("%1:%2: expected name = value").arg(path).arg(i + 1));
        setPair(*into, line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
    return true;
}

// A variable may stand for another ("bar.mid = @bar.top@"): the base gives such defaults,
// and the packed file holds plain values only.
bool resolveAliases(Pairs& vars)
{
    for (auto& p : vars) {
        for (int depth = 0; p.second.size() > 2 && p.second.startsWith(u'@') && p.second.endsWith(u'@'); ++depth) {
            const QString target = p.second.mid(1, p.second.size() - 2);
            const auto it = std::find_if(vars.cbegin(), vars.cend(), [&](const auto& q) { return q.first == target; });
            if (it == vars.cend() || depth > 8)
                return fail(QStringLiteral("variable %1: no value for @%2@").arg(p.first, target));
            p.second = it->second;
        }
    }
    return true;
}

bool payloadText(const Source& base, const Source& skin, QString& text)
{
    Pairs vars = base.vars;
    for (const auto& p : skin.vars)
        setPair(vars, p.first, p.second);
    if (!resolveAliases(vars))
        return false;
    Pairs palette = base.palette;
    for (const auto& p : skin.palette)
        setPair(palette, p.first, p.second);

    for (const auto& p : skin.preamble)
        text += p.first + u" = " + p.second + u'\n';
    text += u"[vars]\n";
    for (const auto& p : vars)
        text += p.first + u" = " + p.second + u'\n';
    text += u"[palette]\n";
    for (const auto& p : palette)
        text += p.first + u" = " + p.second + u'\n';
    text += u"[style]\n" + base.style.trimmed() + u'\n';
    if (!skin.style.trimmed().isEmpty())
        text += skin.style.trimmed() + u'\n';
    return true;
}

bool run(const QString& outPath, const QString& basePath, const QString& skinPath)
{
    Source base, skin;
    if (!readSource(basePath, base) || !readSource(skinPath, skin))
        return false;
    if (!base.preamble.isEmpty())
        return fail(basePath + QStringLiteral(": the base names no skin"));
    QString text;
    if (!payloadText(base, skin, text))
        return false;
    const QByteArray bytes = skinfile::pack(text.toUtf8());
    const skinfile::Result result = skinfile::parse(bytes);
    if (!result.ok())
        return fail(QStringLiteral("%1: %2 (%3)")
                        .arg(skinPath, QString::fromLatin1(skinfile::errorName(result.error)), result.detail));
    if (result.skin.name != QFileInfo(skinPath).completeBaseName())
        return fail(skinPath + QStringLiteral(": the name differs from the file name"));
    QSaveFile out(outPath);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return fail(QStringLiteral("cannot write ") + outPath);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: sorvane_skinpack <out.she> <base.skin> <name.skin>\n");
        return 2;
    }
    return run(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3])) ? 0
                                                                                                                    : 1;
}
