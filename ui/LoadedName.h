#pragma once

// A name field filled from a file's own name. On Linux a name is any bytes, and a name that is
// not UTF-8 shows in the field with replacement characters: taken back from the field as text,
// it would become another name. So while the field still shows what it was loaded with, the
// name is the loaded bytes; text the user typed or changed is UTF-8.

#include <QString>
#include <string>

class QLineEdit;

namespace tarvolin {

class LoadedName {
public:
    // Shows `bytes` in `field` and remembers them.
    void Load(QLineEdit& field, std::string bytes);
    void Forget();
    // What `field` names now.
    std::string BytesOf(const QLineEdit& field) const;

private:
    bool loaded_ = false;
    std::string bytes_;
    QString shown_;
};

} // namespace tarvolin
