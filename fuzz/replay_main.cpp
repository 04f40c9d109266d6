// Runs a fuzz target without libFuzzer: every input of its seed corpus, then a fixed series of
// mutations of them. The series is the same on every run, so a failure here is reproducible, and it
// keeps the invariants of the fuzz targets checked by the ordinary test run.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

constexpr int kDefaultMutations = 4000;
constexpr int kMaxEditsPerInput = 6;
constexpr quint64 kSeed = 0x9E3779B97F4A7C15ull;

// Pieces that matter to the readers: separators, quotes, line ends, encoding traps and keywords.
const std::array<QByteArray, 24> kTokens = {
    "|",
    "*",
    ">",
    "<",
    "\"",
    ":",
    ",",
    "\r\n",
    "\n",
    " ",
    "\t",
    "\xEF\xBB\xBF",
    "\xFF",
    "\xC3",
    "\x81\x30\x81\x30",
    QByteArray("\0", 1),
    "-32768",
    "32767",
    "99999",
    "8:05:00",
    QByteArrayLiteral("每天"),
    QByteArrayLiteral("星期一"),
    QByteArrayLiteral("2004年9月1日"),
    QByteArrayLiteral("播音开-静态"),
};

class Random {
public:
    quint64 next() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return state_ * 0x2545F4914F6CDD1Dull;
    }
    qsizetype below(qsizetype n) { return n <= 0 ? 0 : qsizetype(next() % quint64(n)); }

private:
    quint64 state_ = kSeed;
};

void run(const QByteArray& input) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size()));
}

QByteArray mutate(QByteArray input, const std::vector<QByteArray>& seeds, Random& random) {
    const qsizetype edits = 1 + random.below(kMaxEditsPerInput);
    for (qsizetype e = 0; e < edits; ++e) {
        const qsizetype at = random.below(input.size() + 1);
        switch (random.below(6)) {
            case 0:
                if (at < input.size())
                    input[at] = char(input[at] ^ char(1 << random.below(8)));
                break;
            case 1:
                input.insert(at, kTokens[random.below(kTokens.size())]);
                break;
            case 2:
                input.remove(at, random.below(8));
                break;
            case 3:
                input.insert(at, input.mid(random.below(input.size()), random.below(16)));
                break;
            case 4:
                input.truncate(at);
                break;
            default: {
                const QByteArray& other = seeds[size_t(random.below(qsizetype(seeds.size())))];
                input = input.left(at) + other.mid(random.below(other.size()));
                break;
            }
        }
    }
    return input;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s corpus-folder [mutations]\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const int mutations = argc > 2 ? QByteArray(argv[2]).toInt() : kDefaultMutations;
    std::vector<QByteArray> seeds;
    for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
            return 1;
        }
        seeds.push_back(file.readAll());
    }
    if (seeds.empty()) {
        std::fprintf(stderr, "no seeds in %s\n", argv[1]);
        return 1;
    }
    for (const QByteArray& seed : seeds)
        run(seed);
    Random random;
    for (int i = 0; i < mutations; ++i)
        run(mutate(seeds[size_t(random.below(qsizetype(seeds.size())))], seeds, random));
    std::printf("%zu seeds and %d mutations ran clean\n", seeds.size(), mutations);
    return 0;
}
