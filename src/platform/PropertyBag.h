#pragma once
// The persisted properties of a user control: named values, each read with
// the default that applies when it is missing, keys matched without regard
// to case. A control reads its properties from a bag when it is created from
// saved values and writes them back into one; a value equal to its default
// is not stored. Listeners hear of every stored value that changed.
#include <QImage>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace qx {

class PropertyBag {
public:
    using Listener = std::function<void(const QString &name)>;

    // The stored value of name, or def when the key is missing.
    QVariant ReadProperty(const QString &name, const QVariant &def = {}) const;
    // Stores value under name; a value equal to def removes the key instead.
    void WriteProperty(const QString &name, const QVariant &value, const QVariant &def = {});

    // Typed reads: a missing key, or a stored value that does not convert to
    // the type (or does not fit it), reads as def.
    int32_t readInt(const QString &name, int32_t def) const;
    int16_t readInt16(const QString &name, int16_t def) const;
    float readFloat(const QString &name, float def) const;
    bool readBool(const QString &name, bool def) const;
    // A colour 0x00BBGGRR (or a system colour with the top bit set); a stored
    // negative 32-bit value is taken as its bit pattern.
    uint32_t readColor(const QString &name, uint32_t def) const;
    QString readString(const QString &name, const QString &def) const;
    QImage readImage(const QString &name) const;

    bool contains(const QString &name) const;
    void remove(const QString &name);
    void clear();
    // The stored keys as first written, sorted without regard to case.
    QStringList keys() const;
    bool isEmpty() const { return values_.empty(); }

    // Adds a listener told the name of every key whose stored value changed.
    void addListener(Listener l) { listeners_.push_back(std::move(l)); }

private:
    struct Entry {
        QString name; // as first written
        QVariant value;
    };
    static QString fold(const QString &name) { return name.toLower(); }
    void notify(const QString &name) const;

    std::map<QString, Entry> values_;
    std::vector<Listener> listeners_;
};

} // namespace qx
