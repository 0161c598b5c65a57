#pragma once
// The current kind and maker as the selection window shows them: what every
// other window reads whenever it needs catalogue data.
#include "catalogue/catalogue.h"

#include <QString>
#include <filesystem>

namespace ui {

class CatalogueSelection {
public:
    virtual ~CatalogueSelection() = default;
    virtual const pumpsel::catalogue::Catalogue& catalogue() const = 0;
    virtual QString selectedKind() const = 0;
    virtual int makerPosition() const = 0;  // 1-based; 0 when no maker is selected
    virtual QString selectedMaker() const = 0;
    // Makes maker m of the kind the selected one, as a click on its row does.
    virtual void selectMaker(int position) = 0;

    // Resolved afresh from the catalogue index at every call.
    std::filesystem::path makerDataFile() const {
        return catalogue().makerDataFile(selectedKind().toStdString(), makerPosition());
    }
    std::filesystem::path makerPicture() const {
        return catalogue().makerPicture(selectedKind().toStdString(), makerPosition());
    }
};

}  // namespace ui
