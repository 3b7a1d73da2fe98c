// Without libFuzzer: mutates the carried skins' texts with a fixed seed and feeds the
// target, so a short run is repeatable.
//
//   fuzz_skinfile <iterations> <folder of .she files>

#include "skin/engine/skinfile.h"

#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

const char* const kTokens[] = {"@", "{", "}", "[vars]", "[palette]", "[style]", "=", "\n", "/*", "\"", "#", ":",
                               "\xc3", "\0", "Disabled:", "@window@"};

QByteArray mutate(QByteArray text, std::mt19937& random)
{
    const int steps = 1 + int(random() % 4);
    for (int i = 0; i < steps && !text.isEmpty(); ++i) {
        const qsizetype at = qsizetype(random() % text.size());
        switch (random() % 5) {
        case 0:
            text[at] = char(random());
            break;
        case 1:
            text.remove(at, qsizetype(random() % 64));
            break;
        case 2: {
            const char* token = kTokens[random() % std::size(kTokens)];
            text.insert(at, token, *token ? qsizetype(strlen(token)) : 1);
            break;
        }
        case 3:
            text.insert(at, text.mid(qsizetype(random() % text.size()), qsizetype(random() % 128)));
            break;
        default:
            text.truncate(at);
            break;
        }
    }
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_skinfile <iterations> <folder of .she files>\n");
        return 2;
    }
    const long iterations = std::strtol(argv[1], nullptr, 10);
    std::vector<QByteArray> texts;
    const QDir dir(QString::fromLocal8Bit(argv[2]));
    for (const QString& name : dir.entryList({QStringLiteral("*.she")}, QDir::Files)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            texts.push_back(file.readAll().mid(skinfile::kHeaderSize));
    }
    if (texts.empty()) {
        std::fprintf(stderr, "fuzz_skinfile: no skins in %s\n", argv[2]);
        return 1;
    }
    std::mt19937 random(20240101);
    for (long i = 0; i < iterations; ++i) {
        const QByteArray& text = texts[random() % texts.size()];
        // Mostly texts; now and then a whole file, header included.
        const QByteArray input = mutate(i % 8 ? text : skinfile::pack(text), random);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size()));
    }
    std::printf("fuzz_skinfile: %ld inputs, no crash\n", iterations);
    return 0;
}
