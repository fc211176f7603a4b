// The data-aware grid's cell editor, TkwDBGridInplaceEdit: the drop-down editor with a
// lookup list over a lookup dataset (TPopupDataList) beside the pick list, links to the
// edited dataset and to the list's dataset, a key filter for numeric fields, and
// data-aware enter and exit. Inside a grid it asks the grid's view (IkwGridView and
// IkwCustomDbGridView); without one it uses TkwEmptyDbGridView and its own links.
//
// Writing the field (the one place that does): ApplyValue, on the user's accept of a
// list value only, when the editor may modify, there is a field, the value is not Null
// and differs from the field's; a write that notifies back into the editor is not
// repeated. A data-change notice of the edited dataset only refreshes LookupValue and
// LookupText (and the text outside a grid). Fields named empty or unknown, or of a closed
// dataset, are none; a missing list dataset locates nothing.
#pragma once
#include <memory>
#include <vector>

#include "VCLSource/source/PosGrid/ukvDbEditerLink.h"
#include "VCLSource/source/PosGrid/ukvEditer.h"
#include "rtl/StringList.h"
#include "rtl/Variant.h"

class TDataSource;
class TField;

// The null view of a data-aware editor: every question answered neutrally; its pick list
// is an empty string list made on first request.
class TkwEmptyDbGridView : public TkwEmptyGridView, public IkwCustomDbGridView {
 public:
  void EditButtonClick() override {}
  int DropDownRows() override { return 0; }
  std::shared_ptr<IkwField> GetField() override { return nullptr; }
  TStrings* PickList() override;
  bool ReadOnly() override { return false; }
  void ClearLookupList() override {}
  void AssignEditorFromColumn() override {}
  void HookEditorEvents() override {}

 private:
  std::unique_ptr<TStringList> FPickList;
};

// The lookup list: the list field's display texts of every record of the list source's
// dataset, with each record's key value. KeyValue is the key of the selected item.
class TPopupDataList : public TkwPopupListbox {
 public:
  explicit TPopupDataList(TkwInplaceEditList* AOwner);
  TDataSource* ListSource() const { return FListSource; }
  void SetListSource(TDataSource* v);
  const AnsiString& ListField() const { return FListField; }
  void SetListField(const AnsiString& v) { FListField = v; }
  const AnsiString& KeyField() const { return FKeyField; }
  void SetKeyField(const AnsiString& v) { FKeyField = v; }
  // Reads the items again (the dataset's cursor is put back, its controls disabled
  // meanwhile); nothing without an open dataset or with an unknown field.
  void Reload();
  // Null when nothing is selected.
  Variant KeyValue();
  // Selects the item of the key (none for Null or an unknown key).
  void SetKeyValue(const Variant& v);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TDataSource* FListSource = nullptr;
  AnsiString FListField, FKeyField;
  std::vector<Variant> FKeys;
};

class TkwDBGridInplaceEdit : public TkwInplaceEditList {
 public:
  explicit TkwDBGridInplaceEdit(TComponent* AOwner);
  ~TkwDBGridInplaceEdit() override;

  // --- the edited field (outside a grid) -------------------------------------------------
  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* v);
  const AnsiString& EditFieldName() const { return FEditFieldName; }
  void SetEditFieldName(const AnsiString& v);
  TField* EditField() const { return FEditField; }
  // The field whose value is the lookup value: a lookup field's result field, else the
  // edited field.
  TField* ResultField() const { return FResultField; }

  // --- the lookup list ---------------------------------------------------------------------
  TDataSource* ListSource() const;
  void SetListSource(TDataSource* v);
  const AnsiString& ListFieldName() const { return FListFieldName; }
  void SetListFieldName(const AnsiString& v);
  const AnsiString& KeyFieldNames() const { return FKeyFieldNames; }
  void SetKeyFieldNames(const AnsiString& v);
  TField* ListField() const { return FListField; }
  TField* KeyField() const { return FKeyField; }
  // The column shows the lookup list instead of the pick list.
  bool UseDataList() const { return FUseDataList; }
  void SetUseDataList(bool v) { FUseDataList = v; }
  TPopupDataList* DataList() const { return FDataList; }
  // The lookup list (made when missing) becomes the list that drops down.
  void ActivateDataList();

  const Variant& LookupValue() const { return FLookupValue; }
  const AnsiString& LookupText() const { return FLookupText; }
  bool EditorFocused() const { return FDbFocused; }

  // In a grid: the view is not read-only and its field can be modified; outside: the
  // lookup link is not read-only and the edited field can be modified.
  virtual bool CanModify();
  // Locates Value in the list dataset's key fields.
  virtual bool SetKeyValue(const Variant& Value);
  void UpdateContents() override;
  // Only when the editor may modify and is not read-only.
  void DropDown() override;
  // With Accept the chosen value becomes LookupValue (nothing chosen: Null) and is
  // applied; a cancelled list leaves LookupValue and LookupText as they were.
  void CloseUp(bool Accept) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  std::shared_ptr<IkwGridView> GetGridViewFallback() override;
  virtual void CreateDataList();
  virtual void LinkFieldsChanged(TkwLookupSourceLink* Link);
  void DoEditButtonClick() override;
  // Outside a grid, when the editor may modify: the field's key filter; with an active
  // lookup link Esc puts the field's text back and typing puts the dataset in edit mode.
  void KeyPress(char& Key) override;
  // Outside a grid: entering makes the editor read-only unless it may modify; leaving
  // writes the record back through the lookup link.
  void CMEnter(TMessage& m) override;
  void CMExit(TMessage& m) override;
  // The view's data-aware side (the empty one when the view has none).
  IkwCustomDbGridView& DbView();
  // LookupText from the chosen item.
  void ResetText();
  // Hands LookupValue to the field (in a grid) or LookupText to the text (outside).
  void ApplyValue();

 private:
  TkwLookupSourceLink& LookupLink();
  TkwLookupSourceLink& ListLink();
  void LookupDataChanged(TField* Field);
  void SetDbFocused(bool v);

  TPopupDataList* FDataList = nullptr;  // owned as a component
  TField* FEditField = nullptr;
  AnsiString FEditFieldName;
  std::unique_ptr<TkwLookupSourceLink> FLookupLink;
  AnsiString FLookupText;
  bool FDbFocused = false;
  Variant FLookupValue;
  TField* FKeyField = nullptr;
  AnsiString FKeyFieldNames;
  std::unique_ptr<TkwLookupSourceLink> FListLink;
  TField* FListField = nullptr;
  AnsiString FListFieldName;
  TField* FResultField = nullptr;
  bool FUseDataList = false;
  bool FApplying = false;  // the field is being written
  TkwEmptyDbGridView FNeutralView;
};
