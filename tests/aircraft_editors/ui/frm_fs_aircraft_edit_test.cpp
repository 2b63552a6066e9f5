// The simulator aircraft editor driven as a user drives it, headless, on a
// copy of the sample simulator: the list and its colours, the fields and
// their refusals, the questions, the class combo with its input box, the
// text edit dialog and the main window's command. What an edit does to the
// files is the editor's own tests' business (fs_aircraft_editor_test).
#include "aircraft_editors/ui/frm_fs_aircraft_edit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <set>

#include "aircraft_editors/sample_sim_fixture.h"
#include "aircraft_editors/ui/frm_text_edit.h"
#include "data/program_state.h"
#include "platform/file_ops.h"
#include "platform/input_box.h"
#include "platform/profile_file.h"
#include "platform/qt/modal_dialog.h"
#include "support/fake_plan_host.h"

namespace velk {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;

class FSAircraftEditWindowTest : public test::SampleSimTest {
 protected:
  void SetUp() override {
    test::SampleSimTest::SetUp();
    host_.programFolder = program_;
    // As the main window holds them after opening a plan.
    host_.plan.FSAircraftList = plan_.FSAircraftList;
    Program() = ProgramState{};
    Program().BackupAircraft = true;
  }

  QTreeWidgetItem* Row(frmFSAircraftEdit& w, const std::string& title) {
    for (int r = 0; r < w.lvAircrafts->topLevelItemCount(); ++r) {
      QTreeWidgetItem* row = w.lvAircrafts->topLevelItem(r);
      if (row->text(0) == QString::fromStdString(title)) return row;
    }
    ADD_FAILURE() << "no row " << title;
    return nullptr;
  }
  void Select(frmFSAircraftEdit& w, const std::string& title) { w.lvAircrafts->setCurrentItem(Row(w, title)); }
  static bool Red(QTreeWidgetItem* row, int column) {
    return row->foreground(column).color() == QColor(255, 0, 0) && row->data(column, Qt::ForegroundRole).isValid();
  }
  const FSAircraft& Entry(const std::string& title) {
    for (const FSAircraft& a : host_.plan.FSAircraftList)
      if (a.Title == title) return a;
    static FSAircraft none;
    ADD_FAILURE() << "no entry " << title;
    return none;
  }

  test::FakePlanHost host_;
};

constexpr const char* kRed = "VELK Sample 737-800 Red";

TEST_F(FSAircraftEditWindowTest, ListsEveryTitledEntryWithItsColoursAndShowsTheFirst) {
  ASSERT_TRUE(WriteProfileValue(CfgPath("VELK_A320"), "fltsim.0", "atc_airline", "Nowhere Air"));
  frmFSAircraftEdit w(host_);
  EXPECT_EQ(w.windowTitle(), "FS2002 Aircraft Editor");
  ASSERT_TRUE(w.Load());
  EXPECT_EQ(w.DialogResult(), 0);
  EXPECT_EQ(w.lvAircrafts->topLevelItemCount(), 33);
  EXPECT_EQ(w.lvAircrafts->columnCount(), 5);
  EXPECT_FALSE(w.cmdSave->isEnabled());
  EXPECT_FALSE(w.cmdUndo->isEnabled());

  // Sorted by title; the first row is shown.
  QTreeWidgetItem* first = w.lvAircrafts->topLevelItem(0);
  EXPECT_EQ(first->text(0), "VELK Sample 172 Tourer");
  EXPECT_EQ(w.lvAircrafts->currentItem(), first);
  EXPECT_EQ(w.txtTitle->text() + "|" + w.cmClass->currentText() + "|" + w.cmATCModel->currentText() + "|" +
                w.txtSpeed->text() + "|" + w.txtRadius->text() + "|" + w.txtRadius->toolTip() + "|" +
                w.txtTexture->text() + "|" + w.txtSim->text(),
            "VELK Sample 172 Tourer|Micro Prop|C172|122|6|20ft|tourer|velk_c172");
  EXPECT_TRUE(w.ckVisualDamage->isChecked());
  EXPECT_FALSE(w.ckHeavy->isChecked());
  EXPECT_EQ(fs::path(w.lvAircrafts->toolTip().toStdString()), CfgPath("VELK_C172"));

  // Names missing from the name lists are red (without regard to case);
  // an empty one never is.
  QTreeWidgetItem* red = Row(w, kRed);
  EXPECT_EQ(red->text(1) + "|" + red->text(4), "BOEING|Small Jet");
  for (int column : {1, 2, 3, 4}) EXPECT_FALSE(Red(red, column)) << column;
  EXPECT_TRUE(Red(Row(w, "VELK Sample A320 Red"), 3));  // not a listed airline
  EXPECT_FALSE(Red(Row(w, "VELK Sample 172 Tourer"), 3));

  // File problems add the Errors column; it goes again when they are gone.
  fs::remove_all(sim_ / "Aircraft" / "VELK_C172" / "Texture.tourer");
  ASSERT_TRUE(w.Load());
  ASSERT_EQ(w.lvAircrafts->columnCount(), 6);
  EXPECT_EQ(w.lvAircrafts->headerItem()->text(5), "Errors");
  QTreeWidgetItem* broken = Row(w, "VELK Sample 172 Tourer");
  EXPECT_EQ(broken->text(5), "Texture folder not found");
  EXPECT_TRUE(Red(broken, 5));
  fs::create_directory(sim_ / "Aircraft" / "VELK_C172" / "Texture.tourer");
  ASSERT_TRUE(w.Load());
  EXPECT_EQ(w.lvAircrafts->columnCount(), 5);

  // An entry whose title begins with "~" gets no row.
  test::WriteFile(sim_ / "Aircraft" / "Hidden" / "aircraft.cfg", "[fltsim.0]\r\ntitle=~hidden\r\n");
  ASSERT_TRUE(w.Load());
  EXPECT_EQ(host_.plan.FSAircraftList.size(), 34u);
  EXPECT_EQ(w.lvAircrafts->topLevelItemCount(), 33);
}

TEST_F(FSAircraftEditWindowTest, ColumnClicksSortAndReverse) {
  frmFSAircraftEdit w(host_);
  ASSERT_TRUE(w.Load());
  w.SortByColumn(0);
  EXPECT_EQ(w.lvAircrafts->topLevelItem(0)->text(0), "VELK Sample MD-80 Yellow");
  w.SortByColumn(4);
  EXPECT_EQ(w.lvAircrafts->topLevelItem(0)->text(4), "Huge Jet");
  w.SortByColumn(4);
  EXPECT_EQ(w.lvAircrafts->topLevelItem(0)->text(4), "Small Jet");
}

TEST_F(FSAircraftEditWindowTest, FieldsEditedAndSavedThroughTheWindow) {
  frmFSAircraftEdit w(host_);
  ASSERT_TRUE(w.Load());
  Select(w, kRed);
  EXPECT_EQ(w.txtTitle->text(), kRed);

  // Refused texts change nothing and keep Save off.
  w.txtSpeed->setText("fast");
  EXPECT_FALSE(w.CommitField(w.txtSpeed));
  w.txtRadius->setText("0.5");
  EXPECT_FALSE(w.CommitField(w.txtRadius));
  w.txtRadius->setText("100001");
  EXPECT_FALSE(w.CommitField(w.txtRadius));
  EXPECT_EQ(boxes_.Prompts(), (std::vector<std::string>{frmFSAircraftEdit::kSpeedNotNumeric,
                                                        frmFSAircraftEdit::kRadiusNotPositive,
                                                        frmFSAircraftEdit::kRadiusTooLarge}));
  EXPECT_FALSE(w.cmdSave->isEnabled());

  w.txtTitle->setText("VELK Sample 737-800 Ruby");
  w.CommitField(w.txtTitle);
  EXPECT_EQ(w.lvAircrafts->currentItem()->text(0), "VELK Sample 737-800 Ruby");
  w.cmAirline->setEditText("American");
  w.ChooseAirline();
  EXPECT_FALSE(Red(w.lvAircrafts->currentItem(), 3));
  w.ckHeavy->click();
  w.txtSpeed->setText("470.0");
  ASSERT_TRUE(w.CommitField(w.txtSpeed));
  EXPECT_EQ(w.txtSpeed->text(), "470");
  w.txtRadius->setText("25");
  ASSERT_TRUE(w.CommitField(w.txtRadius));
  EXPECT_EQ(w.txtRadius->toolTip(), "82ft");
  // The radius reached the other variations of the model.
  EXPECT_EQ(Entry("VELK Sample 737-800 Green").Radius, 25);
  EXPECT_TRUE(w.cmdSave->isEnabled());
  EXPECT_TRUE(w.cmdUndo->isEnabled());

  // A pending edit of the field with the focus is stored by Save, as
  // leaving the field would store it.
  w.show();
  QApplication::setActiveWindow(&w);
  w.txtATCID->setFocus();
  w.txtATCID->end(false);
  QTest::keyClicks(w.txtATCID, "X");
  EXPECT_TRUE(w.SaveChanges());
  EXPECT_FALSE(w.cmdSave->isEnabled());

  EXPECT_NE(CfgBytes("VELK_B738").find("atc_id=N738VRX\r\natc_airline=American\r\n"), std::string::npos);
  EXPECT_EQ(w.DialogResult(), 1);
}

TEST_F(FSAircraftEditWindowTest, TabbingThroughUntouchedBoxesWritesOnlyTheEditedTitle) {
  // Codes and airline spelled otherwise than in the name lists.
  std::string cfg = test::Replaced(OriginalCfg("VELK_B738"), "atc_model=B738", "atc_model=b738");
  cfg = test::Replaced(cfg, "atc_id=N738VR\r\natc_airline=Velkair", "atc_id=N738VR\r\natc_airline=VELKAIR");
  test::WriteFile(CfgPath("VELK_B738"), cfg);
  frmFSAircraftEdit w(host_);
  ASSERT_TRUE(w.Load());
  w.show();
  QApplication::setActiveWindow(&w);
  Select(w, kRed);
  EXPECT_EQ(w.cmATCType->currentText() + "|" + w.cmATCModel->currentText() + "|" + w.cmAirline->currentText(),
            "BOEING|b738|VELKAIR");
  w.txtTitle->setFocus();
  w.txtTitle->selectAll();
  QTest::keyClicks(w.txtTitle, "VELK Sample 737-800 Ruby");
  // Round the whole window twice, leaving every box as it was shown.
  for (int n = 0; n < 60; ++n) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(Row(w, "VELK Sample 737-800 Ruby")->text(1) + "|" + Row(w, "VELK Sample 737-800 Green")->text(2),
            "BOEING|b738");
  ASSERT_TRUE(w.SaveChanges());
  EXPECT_EQ(CfgBytes("VELK_B738"), test::Replaced(cfg, "title=VELK Sample 737-800 Red\r\n",
                                                  "title=VELK Sample 737-800 Ruby\r\n"));
}

TEST_F(FSAircraftEditWindowTest, LeavingARefusedFieldKeepsTheFocusAndTheRow) {
  frmFSAircraftEdit w(host_);
  ASSERT_TRUE(w.Load());
  w.show();
  QApplication::setActiveWindow(&w);
  Select(w, kRed);
  QTreeWidgetItem* red = w.lvAircrafts->currentItem();
  w.txtSpeed->setFocus();
  w.txtSpeed->selectAll();
  QTest::keyClicks(w.txtSpeed, "-3");
  QTreeWidgetItem* other = Row(w, "VELK Sample A320 Red");
  QRect at = w.lvAircrafts->visualItemRect(other);
  QTest::mouseClick(w.lvAircrafts->viewport(), Qt::LeftButton, {}, at.center());
  EXPECT_EQ(boxes_.Prompts(), (std::vector<std::string>{frmFSAircraftEdit::kSpeedNotPositive}));
  EXPECT_EQ(w.lvAircrafts->currentItem(), red);
  QApplication::processEvents();
  EXPECT_EQ(QApplication::focusWidget(), w.txtSpeed);
  EXPECT_EQ(w.txtSpeed->text(), "-3");
  EXPECT_EQ(Entry(kRed).CfgCruiseSpeed, 451);
  // A good text is stored as the focus leaves, and the row changes.
  w.txtSpeed->setText("455");
  QTest::mouseClick(w.lvAircrafts->viewport(), Qt::LeftButton, {}, at.center());
  EXPECT_EQ(w.lvAircrafts->currentItem(), other);
  EXPECT_EQ(Entry(kRed).CfgCruiseSpeed, 455);
  EXPECT_EQ(Entry("VELK Sample 737-800 Blue").CfgCruiseSpeed, 455);
  EXPECT_EQ(w.txtSpeed->text(), "447");
}

TEST_F(FSAircraftEditWindowTest, ModelTextureAndAirNamesOfferTheirCopies) {
  const fs::path plane = sim_ / "Aircraft" / "VELK_B738";
  // What a copy killed part way left goes when the editor opens.
  test::WriteFile(plane / ".model.b739.velk-Ab12Cd" / "velk_b738.mdl", "half");
  frmFSAircraftEdit w(host_);
  ASSERT_TRUE(w.Load());
  EXPECT_FALSE(fs::exists(plane / ".model.b739.velk-Ab12Cd"));
  Select(w, kRed);

  // Cancel keeps the old name; a name with a path in it is refused.
  boxes_.Answer(kIdCancel);
  w.txtModelFile->setText("  b739 ");
  w.CommitField(w.txtModelFile);
  EXPECT_EQ(w.txtModelFile->text(), "");
  w.txtModelFile->setText("../VELK_A320/model.std");
  w.CommitField(w.txtModelFile);
  EXPECT_EQ(w.txtModelFile->text(), "");
  EXPECT_FALSE(fs::exists(plane / "model.b739"));

  // Yes copies the old folder; the radius is read from the copy.
  boxes_.Answer(kIdYes);
  w.txtModelFile->setText("b739");
  w.CommitField(w.txtModelFile);
  EXPECT_EQ(Entry(kRed).Model, "b739");
  EXPECT_TRUE(fs::is_regular_file(plane / "model.b739" / "velk_b738.mdl"));
  EXPECT_EQ(w.txtRadius->text(), "20");
  EXPECT_TRUE(w.txtRadius->isEnabled());

  // No copies nothing: the new folder holds no model, so no radius.
  boxes_.Answer(kIdNo);
  w.txtModelFile->setText("empty");
  w.CommitField(w.txtModelFile);
  EXPECT_FALSE(fs::exists(plane / "model.empty"));
  EXPECT_FALSE(w.txtRadius->isEnabled());
  EXPECT_EQ(w.txtRadius->text(), "");

  // The flight model's file is offered the same way.
  boxes_.Answer(kIdYes);
  w.txtSim->setText("velk_b739");
  w.CommitField(w.txtSim);
  EXPECT_EQ(*ReadFile(plane / "velk_b739.air"), *ReadFile(plane / "velk_b738.air"));

  // A copy that cannot be made is said, and the old name stays.
  boxes_.Answer(kIdYes);
  fs::create_symlink(plane / "nowhere", plane / "texture.gone");
  w.txtTexture->setText("gone");
  w.CommitField(w.txtTexture);
  EXPECT_EQ(Entry(kRed).Texture, "red");
  EXPECT_EQ(boxes_.Prompts().back(), std::string(frmFSAircraftEdit::kCopyFailedMessage) + "\n\nCould not write '" +
                                         (plane / "texture.gone").string() + "' (File exists).");
}

TEST_F(FSAircraftEditWindowTest, AnotherUsersLinkIsNeitherCopiedNorWrittenThroughAndAPipeLeftOutIsSaid) {
  if (::geteuid() != 0) GTEST_SKIP() << "another user's link needs root";
  const fs::path plane = sim_ / "Aircraft" / "VELK_B738";
  const fs::path model = plane / "Model" / "velk_b738.mdl";
  const fs::path home = dir_ / "home";
  test::WriteFile(home / "private.mdl", sample::ModelFileBytes(1, 20));
  fs::remove(model);
  fs::create_symlink(home / "private.mdl", model);
  ASSERT_EQ(::lchown(model.c_str(), 65534, 65534), 0);
  ASSERT_EQ(::mkfifo((plane / "texture.red" / "pipe").c_str(), 0600), 0);
  frmFSAircraftEdit w(host_);
  ASSERT_TRUE(w.Load());
  Select(w, kRed);
  const std::string link = "the symbolic link '" + model.string() + "' belongs to the user " + UserName(65534) +
                           ", not to you";

  // The texture is copied without the pipe, and the user is told.
  boxes_.Answer(kIdYes);
  w.txtTexture->setText("dark");
  w.CommitField(w.txtTexture);
  EXPECT_EQ(Entry(kRed).Texture, "dark");
  EXPECT_EQ(boxes_.Prompts().back(), std::string(frmFSAircraftEdit::kCopyLeftOutMessage) + "\r\n'" +
                                         (plane / "texture.red" / "pipe").string() + "' (a pipe)");

  // The model folder is not copied at all: the link would be the user's.
  boxes_.Answer(kIdYes);
  w.txtModelFile->setText("b739");
  w.CommitField(w.txtModelFile);
  EXPECT_EQ(Entry(kRed).Model, "");
  EXPECT_EQ(boxes_.Prompts().back(), std::string(frmFSAircraftEdit::kCopyFailedMessage) + "\n\nCould not write '" +
                                         (plane / "model.b739" / "velk_b738.mdl").string() + "' (" + link + ").");
  for (const std::string& name : test::Names(plane)) EXPECT_EQ(name.find("model.b739"), std::string::npos) << name;

  // Nor is the radius written through the link in the old folder; the
  // aircraft.cfg with the new texture, written first, is said to be saved.
  w.txtRadius->setText("25");
  ASSERT_TRUE(w.CommitField(w.txtRadius));
  EXPECT_FALSE(w.SaveChanges());
  EXPECT_EQ(boxes_.Prompts().back(), std::string(frmFSAircraftEdit::kSaveFailedMessage) + "\n\nCould not write '" +
                                         Entry(kRed).ModelFile + "' (" + link + ").\n'" + Entry(kRed).CfgFile +
                                         "' was already saved.");
  EXPECT_EQ(ReadFile(home / "private.mdl"), sample::ModelFileBytes(1, 20));
  EXPECT_EQ(test::Names(home), (std::set<std::string>{"private.mdl"}));
}

TEST_F(FSAircraftEditWindowTest, ClosingAsksFirstAndKeepsTheWindowWhenTheSaveFails) {
  frmFSAircraftEdit w(host_);
  ASSERT_TRUE(w.Load());
  w.show();
  Select(w, kRed);
  w.txtVariation->setText("Edited");
  w.CommitField(w.txtVariation);

  // Cancel: still open, the edit still there.
  boxes_.Answer(kIdCancel);
  w.cmdCancel->click();
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(Entry(kRed).UIVariation, "Edited");
  EXPECT_EQ(boxes_.Prompts(), (std::vector<std::string>{frmFSAircraftEdit::kSaveQuestion}));

  // Yes with a save that fails: the failure is said and the window stays.
  fs::permissions(CfgPath("VELK_B738"), fs::perms::owner_read);
  boxes_.Answer(kIdYes);
  w.close();
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(boxes_.Prompts().back(), std::string(frmFSAircraftEdit::kSaveFailedMessage) + "\n\nCould not write '" +
                                         CfgPath("VELK_B738").string() + "' (" + std::strerror(EACCES) + ").");
  EXPECT_TRUE(w.cmdSave->isEnabled());
  fs::permissions(CfgPath("VELK_B738"), fs::perms::owner_read | fs::perms::owner_write);

  // No: the edits are thrown away, also in memory.
  boxes_.Answer(kIdNo);
  QTest::keyClick(&w, Qt::Key_Escape);
  EXPECT_FALSE(w.isVisible()) << testing::PrintToString(boxes_.Prompts());
  EXPECT_EQ(Entry(kRed).UIVariation, "Red");
  EXPECT_EQ(CfgBytes("VELK_B738"), OriginalCfg("VELK_B738"));
  EXPECT_EQ(w.DialogResult(), 0);

  // Nothing unsaved: no question.
  boxes_.Clear();
  w.show();
  w.cmdCancel->click();
  EXPECT_FALSE(w.isVisible());
  EXPECT_TRUE(boxes_.Prompts().empty());
}

TEST_F(FSAircraftEditWindowTest, UndoReturnsTheListToTheLastSave) {
  frmFSAircraftEdit w(host_);
  ASSERT_TRUE(w.Load());
  Select(w, kRed);
  w.cmATCModel->setEditText("B744");
  w.ChooseAtcModel();
  EXPECT_EQ(Row(w, "VELK Sample 737-800 Green")->text(4), "Huge Jet");
  EXPECT_EQ(w.cmClass->currentText(), "Huge Jet");
  w.cmdUndo->click();
  EXPECT_EQ(Row(w, "VELK Sample 737-800 Green")->text(2), "B738");
  EXPECT_EQ(Row(w, "VELK Sample 737-800 Green")->text(4), "Small Jet");
  EXPECT_FALSE(w.cmdUndo->isEnabled());
  EXPECT_FALSE(w.cmdSave->isEnabled());
  EXPECT_EQ(w.lvAircrafts->currentItem(), w.lvAircrafts->topLevelItem(0));
}

TEST_F(FSAircraftEditWindowTest, ClassComboMovesEntriesAndNamesNewOnes) {
  frmFSAircraftEdit w(host_);
  ASSERT_TRUE(w.Load());
  w.resize(800, 600);
  Select(w, kRed);
  // "Unknown" cannot be chosen: the combo goes back.
  w.cmClass->setCurrentIndex(0);
  w.ChooseClass();
  EXPECT_EQ(w.cmClass->currentText(), "Small Jet");
  EXPECT_FALSE(w.cmdSave->isEnabled());

  w.cmClass->setCurrentIndex(kClassHugeJet);
  w.ChooseClass();
  EXPECT_EQ(Row(w, "VELK Sample 737-800 Green")->text(4), "Huge Jet");  // every row of the entry
  EXPECT_TRUE(w.cmdSave->isEnabled());

  // An aircraft without class: the entry is named in an input box, which
  // refuses a name the class file cannot hold and asks again.
  w.cmATCModel->setEditText("ZZ99");
  w.ChooseAtcModel();
  EXPECT_EQ(Row(w, kRed)->text(4), "Unknown");
  ScriptedInputBoxes inputs;
  inputs.Answer("ZZ,99");
  inputs.Answer(" ZZ99 ");
  w.cmClass->setCurrentIndex(kClassMidProp);
  w.ChooseClass();
  ASSERT_EQ(inputs.Shown().size(), 2u);
  const InputBoxRequest& asked = inputs.Shown()[0];
  EXPECT_EQ(asked.title + "|" + asked.prompt + "|" + asked.defaultText, "New class entry|Enter the name for the entry|ZZ99");
  EXPECT_TRUE(asked.usePosition);
  EXPECT_EQ(asked.x, w.frameGeometry().left() + w.frameGeometry().width() / 4);
  EXPECT_EQ(asked.y, w.frameGeometry().top() + w.frameGeometry().height() / 4);
  EXPECT_EQ(boxes_.Prompts().back(), frmFSAircraftEdit::kBadEntryMessage);
  EXPECT_EQ(ClassAircraftConfig().MidPropList.back().Id, "ZZ99");
  EXPECT_EQ(w.cmClass->currentText(), "Mid Prop");

  // A cancelled box creates nothing; the class stays unknown.
  w.cmATCModel->setEditText("QQ11");
  w.ChooseAtcModel();
  w.cmClass->setCurrentIndex(kClassMicroJet);
  w.ChooseClass();
  EXPECT_EQ(Row(w, kRed)->text(4), "Unknown");
  EXPECT_EQ(w.cmClass->currentText(), "Unknown");
}

TEST_F(FSAircraftEditWindowTest, DescriptionAndPerformanceGoThroughTheTextEditDialog) {
  frmFSAircraftEdit w(host_);
  ASSERT_TRUE(w.Load());
  Select(w, kRed);
  ScriptedModalDialogs dialogs;
  dialogs.Drive([](QDialog& d) {
    auto& edit = static_cast<frmTextEdit&>(d);
    EXPECT_EQ(edit.lblText->text(), "&Description");
    EXPECT_EQ(edit.txtText->toPlainText(), "Boeing 737-800 made for the VELK sample simulator folder.");
    edit.txtText->setPlainText("Two\nlines/and\ta tab");
    edit.cmdOK->click();
  });
  w.cmdEditDescription->click();
  EXPECT_EQ(Entry(kRed).Description, "Two\\nlines\\/and\\ta tab");
  EXPECT_TRUE(w.cmdSave->isEnabled());

  // Cancel, or an unchanged text, changes nothing.
  w.cmdUndo->click();
  Select(w, kRed);
  dialogs.Drive([](QDialog& d) {
    auto& edit = static_cast<frmTextEdit&>(d);
    EXPECT_EQ(edit.lblText->text(), "&Performance");
    edit.txtText->setPlainText("changed");
    edit.cmdCancel->click();
  });
  dialogs.Drive([](QDialog& d) { static_cast<frmTextEdit&>(d).cmdOK->click(); });
  w.cmdEditPerformance->click();
  w.cmdEditPerformance->click();
  EXPECT_FALSE(w.cmdSave->isEnabled());
  EXPECT_EQ(dialogs.Shown(), 3);
}

TEST(TextEditDialog, CtrlTabTypesATabAndEnterANewLine) {
  frmTextEdit d(nullptr);
  d.show();
  QApplication::setActiveWindow(&d);
  d.txtText->setFocus();
  QTest::keyClicks(d.txtText, "a");
  QTest::keyClick(d.txtText, Qt::Key_Tab, Qt::ControlModifier);
  QTest::keyClicks(d.txtText, "b");
  QTest::keyClick(d.txtText, Qt::Key_Return);
  QTest::keyClicks(d.txtText, "c");
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(d.txtText->toPlainText(), "a\tb\nc");
  EXPECT_EQ(d.txtText->toolTip(), "NOTE: To add a tab press CTRL+TAB!");
  d.cmdOK->click();
  EXPECT_EQ(d.EditResult(), "a\\tb\\nc");
  EXPECT_EQ(d.windowTitle(), "Edit");
}

TEST_F(FSAircraftEditWindowTest, ShowDialogAndTheMenuCommandRebuildWhatShowsTheAircraft) {
  ScriptedModalDialogs dialogs;
  // Opened and closed without a change: 0, nothing rebuilt.
  host_.plan.PlanLoaded = true;
  host_.plan.FSAircraftList = plan_.FSAircraftList;
  dialogs.Drive([](QDialog& d) { static_cast<frmFSAircraftEdit&>(d).cmdCancel->click(); });
  frmFSAircraftEdit::Run(host_);
  EXPECT_EQ(host_.treeRebuilds, 0);

  // A save: 1, the trees and tabs are brought up to date.
  dialogs.Drive([this](QDialog& d) {
    auto& w = static_cast<frmFSAircraftEdit&>(d);
    Select(w, kRed);
    w.txtATCID->setText("N1");
    w.CommitField(w.txtATCID);
    w.cmdSave->click();
    w.cmdCancel->click();
  });
  frmFSAircraftEdit::Run(host_);
  EXPECT_EQ((std::vector<int>{host_.treeRebuilds, host_.timetableResets, host_.searchResets, host_.moveAirportFills,
                              host_.shuffleTabUpdates}),
            (std::vector<int>{1, 1, 1, 1, 1}));
  EXPECT_FALSE(host_.IsBusy());

  // The aircraft on disk changed since they were read: the list is read
  // again, and whatever refers to it by index must be built again too.
  fs::remove_all(sim_ / "Aircraft" / "VELK_A320");
  dialogs.Drive([](QDialog& d) { static_cast<frmFSAircraftEdit&>(d).cmdCancel->click(); });
  frmFSAircraftEdit::Run(host_);
  EXPECT_EQ(host_.treeRebuilds, 2);

  // No installed aircraft: no window.
  fs::remove_all(sim_ / "Aircraft");
  frmFSAircraftEdit::Run(host_);
  EXPECT_EQ(dialogs.Shown(), 3);
}

TEST_F(FSAircraftEditWindowTest, TypesExportListsEveryClassifiedAircraft) {
  frmFSAircraftEdit w(host_);
  ASSERT_TRUE(w.Load());
  // Not Used, no class, and a "~" title are left out; unsaved edits count.
  Select(w, kRed);
  w.cmClass->setCurrentIndex(kClassNotUsed);
  w.ChooseClass();
  Select(w, "VELK Sample A320 Red");
  w.cmATCModel->setEditText("ZZ99");
  w.ChooseAtcModel();
  test::WriteFile(program_ / "New AircraftTypes.dat", "an older file\r\n");
  w.cmdACTypeDat->click();
  EXPECT_EQ(boxes_.Prompts(), (std::vector<std::string>{frmFSAircraftEdit::kTypesWrittenMessage}));
  std::string text = *ReadFile(program_ / "New AircraftTypes.dat");
  EXPECT_EQ(text.find("737-800"), std::string::npos);
  EXPECT_EQ(text.find("A320"), std::string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 33 - 3 - 2);
  EXPECT_FALSE(host_.IsBusy());
  EXPECT_TRUE(w.isEnabled());

  // Nowhere to write it: said, and nothing else changes.
  host_.programFolder = program_ / "missing";
  boxes_.Clear();
  w.cmdACTypeDat->click();
  EXPECT_EQ(boxes_.Prompts(), (std::vector<std::string>{std::string(frmFSAircraftEdit::kTypesFailedMessage) +
                                                         "\n\nCould not write '" +
                                                         (program_ / "missing" / "New AircraftTypes.dat").string() +
                                                         "' (" + std::strerror(ENOENT) + ")."}));
  EXPECT_TRUE(w.cmdSave->isEnabled());
}

}  // namespace
}  // namespace velk
