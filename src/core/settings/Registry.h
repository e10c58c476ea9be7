#pragma once

#include <QString>
#include <functional>

// A persistent store of keys holding named text values, in the form of the
// platform registry the program was first written for. Each key is an INI file
// under $XDG_CONFIG_HOME/movrnt/registry/<root>/<path>.ini. No operation ever
// throws: failures come back as false or as the empty text.

// $XDG_CONFIG_HOME/movrnt, where the settings live; empty when the system
// names no configuration place. Its owner's alone once a key is made.
QString SettingsFolder();

class RegeditKey
{
public:
    // Creates the key, or leaves an existing one as it is.
    bool CreateKey(const QString& root, const QString& path) const;
    bool DeleteKey(const QString& root, const QString& path) const;
};

class RegeditValStr
{
public:
    // The text of the value up to its first null character; empty when the key
    // or value is missing, the value is not text or longer than 254 bytes, or
    // the root is unknown.
    QString GetValue(const QString& root, const QString& path, const QString& name) const;
    // Fails while the key does not exist: it never creates the key.
    bool SetValue(const QString& root, const QString& path, const QString& name,
                  const QString& text) const;
    bool DeleteValue(const QString& root, const QString& path, const QString& name) const;

    // Sees every successful write, in order. For tests that check what was
    // written and when.
    using WriteObserver = std::function<void(const QString& name, const QString& text)>;
    static void SetWriteObserver(WriteObserver observer);
};

class Registry
{
public:
    const RegeditKey& Key() const { return key_; }
    const RegeditValStr& ValStr() const { return valStr_; }

private:
    RegeditKey key_;
    RegeditValStr valStr_;
};
