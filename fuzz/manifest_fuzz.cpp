// Fuzz target: the manifest of a campus bundle, which a follower reads from whatever its source's
// address answers. Whatever passes must be safe to unpack and must read back the same once written.

#include <cstddef>
#include <cstdint>

#include "campus/manifest.h"
#include "fuzz_check.h"

using namespace quel::campus;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const ManifestResult r = parseManifest(bytes);
    if (const ManifestError* e = std::get_if<ManifestError>(&r)) {
        FUZZ_CHECK(!e->message.isEmpty());
        return 0;
    }
    const Manifest& m = std::get<Manifest>(r);
    FUZZ_CHECK(m.version > 0);
    FUZZ_CHECK(m.published.isValid());
    FUZZ_CHECK(m.files.size() <= kMaxFiles);
    qint64 total = 0;
    for (const ManifestFile& f : m.files) {
        FUZZ_CHECK(pathRefusal(f.path).isEmpty());
        FUZZ_CHECK(!f.path.startsWith(QLatin1Char('/')));
        FUZZ_CHECK(!f.path.split(QLatin1Char('/')).contains(QStringLiteral("..")));
        FUZZ_CHECK(f.size >= 0);
        FUZZ_CHECK(f.sha256.size() == 64);
        total += f.size;
    }
    FUZZ_CHECK(total <= kMaxBundleBytes);
    const ManifestResult again = parseManifest(manifestBytes(m));
    FUZZ_CHECK(std::holds_alternative<Manifest>(again));
    FUZZ_CHECK(std::get<Manifest>(again) == m);
    return 0;
}
