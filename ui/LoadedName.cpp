#include "LoadedName.h"

#include "RowTexts.h"

#include <QLineEdit>
#include <utility>

namespace tarvolin {

void LoadedName::Load(QLineEdit& field, std::string bytes) {
    field.setText(PathToText(bytes));
    shown_ = field.text();
    bytes_ = std::move(bytes);
    loaded_ = true;
}

void LoadedName::Forget() {
    loaded_ = false;
    bytes_.clear();
    shown_.clear();
}

std::string LoadedName::BytesOf(const QLineEdit& field) const {
    return loaded_ && field.text() == shown_ ? bytes_ : TextToPath(field.text());
}

} // namespace tarvolin
