#pragma once

#include "reference/editors/ReferenceEditor.h"

#include <vector>

namespace kv::common {
class DBCheckBox;
}

namespace kv::storage {

// The media type editor: the family's fields and the group "Options:" with
// a check box per media type flag.
class TMediaTypeForm : public reference::TReferenceEditor {
    Q_OBJECT
public:
    explicit TMediaTypeForm(data::TProgramDataForm& dm, QWidget* parent = nullptr);

    void FormActivate() override;
    // A new media type starts with every flag false.
    void InsertBtnClick() override;

    // In the order of mediaTypeFlagDefs().
    const std::vector<common::DBCheckBox*>& optionBoxes() const { return m_options; }

private:
    std::vector<common::DBCheckBox*> m_options;
};

}  // namespace kv::storage
