#include "platform/TextMap.h"
#include "platform/Guard.h"

#include <QFile>
#include <QHash>
#include <memory>
#include <mutex>

#include <opencc/Exception.hpp>
#include <opencc/Lexicon.hpp>
#include <opencc/MarisaDict.hpp>
#include <opencc/SerializableDict.hpp>

#ifndef QX_OPENCC_DATA_DIR
#define QX_OPENCC_DATA_DIR "/usr/share/opencc"
#endif

namespace qx::textmap {

namespace {

using CharMap = QHash<char32_t, char32_t>;

struct Dictionary {
    std::mutex mutex;
    QString path = QStringLiteral(QX_OPENCC_DATA_DIR "/STCharacters.ocd2");
    std::shared_ptr<const CharMap> map; // null until loaded
    bool tried = false;
};

Dictionary &dictionary()
{
    static Dictionary d;
    return d;
}

// The one code point of a UTF-8 text, or 0 when it holds none or several.
char32_t singleChar(const std::string &utf8)
{
    const QString s = QString::fromStdString(utf8);
    const QList<uint> ucs = s.toUcs4();
    return ucs.size() == 1 ? char32_t(ucs.front()) : 0;
}

// The dictionary reader leaks when it is handed a file of another kind, so
// the file's header is checked first.
bool hasDictionaryHeader(const QString &path)
{
    static const QByteArray header("OPENCC_MARISA_0.2.5");
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(header.size()) == header;
}

std::shared_ptr<const CharMap> load(const QString &path, QString *error)
{
    if (!hasDictionaryHeader(path)) {
        *error = QStringLiteral("missing or not a character dictionary");
        return nullptr;
    }
    try {
        auto dict = opencc::SerializableDict::NewFromFile<opencc::MarisaDict>(path.toStdString());
        auto map = std::make_shared<CharMap>();
        for (const auto &entry : *dict->GetLexicon()) {
            char32_t from = singleChar(entry->Key());
            char32_t to = singleChar(entry->GetDefault());
            if (from && to && from != to)
                map->insert(from, to);
        }
        return map;
    } catch (const opencc::Exception &e) {
        *error = QString::fromStdString(e.what());
    } catch (const std::exception &e) {
        *error = QString::fromStdString(e.what());
    } catch (...) {
        *error = QStringLiteral("unknown error");
    }
    return nullptr;
}

// The loaded map, loading it on first use; null when it cannot be loaded.
std::shared_ptr<const CharMap> charMap()
{
    Dictionary &d = dictionary();
    QString error;
    {
        std::lock_guard lock(d.mutex);
        if (d.tried)
            return d.map;
        d.tried = true;
        d.map = load(d.path, &error);
        if (d.map)
            return d.map;
    }
    reportUnhandled(QStringLiteral("ErrTextMap"),
                    QStringLiteral("character dictionary %1 not loaded: %2").arg(d.path, error));
    return nullptr;
}

} // namespace

QString simpToTrad(const QString &text)
{
    if (text.isEmpty())
        return text;
    auto map = charMap();
    if (!map)
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        const bool pair = ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const char32_t c = pair ? QChar::surrogateToUcs4(ch, text[i + 1]) : ch.unicode();
        const auto found = map->constFind(c);
        if (found == map->cend() || (!pair && ch.isSurrogate())) {
            out += ch; // unmapped (or a lone surrogate): copied as it stands
            if (pair)
                out += text[i + 1];
        } else {
            out += QString::fromUcs4(&*found, 1);
        }
        if (pair)
            ++i;
    }
    return out;
}

bool dictionaryLoaded() { return charMap() != nullptr; }

QString dictionaryPath()
{
    std::lock_guard lock(dictionary().mutex);
    return dictionary().path;
}

void setDictionaryPath(const QString &path)
{
    Dictionary &d = dictionary();
    std::lock_guard lock(d.mutex);
    d.path = path;
    d.map.reset();
    d.tried = false;
}

} // namespace qx::textmap
