#include "setupwizard/framework/Registries.h"

#include <algorithm>

#include "installer/components/EngineContext.h"
#include "installer/components/InstallContainer.h"
#include "installer/translator/Translator.h"
#include "platform/core/runtime/Exception.h"
#include "setupwizard/framework/DialogManager.h"
#include "setupwizard/framework/WizardInstall.h"

namespace setupwizard {

using installer::EngineContext;

TFormEntry* TFormEntryList::Add(const TFormClass& formClass, TCustomBaseInstallDlg* dialog, int tag) {
    auto entry = std::make_unique<TFormEntry>();
    entry->FormClass = &formClass;
    entry->Dialog = dialog;
    entry->Tag = tag;
    entries_.push_back(std::move(entry));
    return entries_.back().get();
}

void TFormEntryList::Remove(const TFormEntry* entry) {
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const auto& e) { return e.get() == entry; });
    if (it != entries_.end()) entries_.erase(it);
}

std::vector<TFormEntry*> TFormEntryList::Snapshot() const {
    std::vector<TFormEntry*> out;
    for (const auto& e : entries_) out.push_back(e.get());
    return out;
}

WizardRegistries& Registries(EngineContext& context) { return context.Slot<WizardRegistries>(); }

void InitDialogFrameworkUnit(EngineContext& context) {
    WizardRegistries& r = Registries(context);
    if (!r.BIFList) r.BIFList = std::make_unique<TFormEntryList>();
    if (!r.DCFList) r.DCFList = std::make_unique<TFormEntryList>();
    if (!r.ChangeDiskFormList) r.ChangeDiskFormList = std::make_unique<TFormEntryList>();
}

TFormEntry* RegisterPageForm(EngineContext& context, const TFormClass& formClass, TCustomBaseInstallDlg* dialog,
                             int tag) {
    WizardRegistries& r = Registries(context);
    if (!r.BIFList) r.BIFList = std::make_unique<TFormEntryList>();
    return r.BIFList->Add(formClass, dialog, tag);
}

void UnregisterPageForm(EngineContext& context, const TFormEntry* entry) {
    WizardRegistries& r = Registries(context);
    if (r.BIFList) r.BIFList->Remove(entry);
}

int PageFormCount(EngineContext& context) {
    WizardRegistries& r = Registries(context);
    return r.BIFList ? r.BIFList->Count() : 0;
}

TFormEntry* PageFormEntry(EngineContext& context, int index) {
    WizardRegistries& r = Registries(context);
    if (!r.BIFList) throw platform::Exception(installer::TranslateString("The BIFList is NIL"));
    if (index < 0 || index >= r.BIFList->Count())
        throw platform::Exception(installer::TranslateFmt("%d is an invalid index in the BIFList", {index}));
    TFormEntry* entry = r.BIFList->Get(index);
    if (!entry) throw platform::Exception(installer::TranslateFmt("The %d 'th entry in the BIFList is NIL", {index}));
    return entry;
}

TFormEntry* RegisterDuringCopyForm(EngineContext& context, const TFormClass& formClass,
                                   TCustomBaseInstallDlg* dialog, int tag) {
    WizardRegistries& r = Registries(context);
    if (!r.DCFList) r.DCFList = std::make_unique<TFormEntryList>();
    return r.DCFList->Add(formClass, dialog, tag);
}

void InitPageFormUnit(EngineContext& context, const TFormClass& formClass) {
    Registries(context).UnitEntries.emplace_back(&formClass, RegisterPageForm(context, formClass, nullptr, 0));
}

void InitDuringCopyFormUnit(EngineContext& context, const TFormClass& formClass) {
    Registries(context).UnitEntries.emplace_back(&formClass, RegisterDuringCopyForm(context, formClass, nullptr, 0));
}

void InitDialogUnit(EngineContext& context, const TFormClass& formClass) {
    WizardRegistries& r = Registries(context);
    for (auto it = r.UnitEntries.begin(); it != r.UnitEntries.end(); ++it) {
        if (it->first != &formClass) continue;
        if (r.BIFList) r.BIFList->Remove(it->second);
        if (r.DCFList) r.DCFList->Remove(it->second);
        r.UnitEntries.erase(it);
        return;
    }
}

TDialogManager* FindDialogManager(EngineContext& context, TManagerType type) {
    installer::TInstallContainer* install = InstallObject(context);
    for (installer::TInstallContainer* c : context.GlobalContainerList.Items()) {
        auto* manager = dynamic_cast<TDialogManager*>(c);
        if (manager && manager->ManagerType == type && manager->Container() == install) return manager;
    }
    return nullptr;
}

}  // namespace setupwizard
