#include "platform/qt/qt_message_box.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace velk {
namespace {

MessageBoxRequest Request(int style, QWidget* owner = nullptr) {
  MessageBoxRequest r;
  r.prompt = "Save the modified Flightplan?";
  r.buttons = style;
  r.title = "VELK";
  r.owner = owner;
  return r;
}

TEST(QtMessageBox, StyleBitsGiveButtonsIconAndDefault) {
  CentredMessageBox box(Request(kMbYesNoCancel | kMbIconQuestion | kMbDefButton2));
  EXPECT_EQ(box.buttons().size(), 3);
  EXPECT_EQ(box.icon(), QMessageBox::Question);
  EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::No));
  EXPECT_EQ(box.escapeButton(), box.button(QMessageBox::Cancel));
  EXPECT_EQ(box.windowTitle(), "VELK");

  CentredMessageBox ok(Request(kMbOk | kMbIconCritical | kMbDefButton3));
  ASSERT_EQ(ok.buttons().size(), 1);
  // A default beyond the buttons falls back to the first.
  EXPECT_EQ(ok.defaultButton(), ok.button(QMessageBox::Ok));
  EXPECT_EQ(ok.escapeButton(), ok.button(QMessageBox::Ok));
  EXPECT_EQ(ok.icon(), QMessageBox::Critical);

  CentredMessageBox yesNo(Request(kMbYesNo | kMbIconExclamation));
  EXPECT_EQ(yesNo.defaultButton(), yesNo.button(QMessageBox::Yes));
  EXPECT_EQ(yesNo.icon(), QMessageBox::Warning);
}

TEST(QtMessageBox, TextIsWindows1252AndPlain) {
  MessageBoxRequest r = Request(kMbOk);
  r.prompt = "Caf\xe9 <b>x</b>";
  CentredMessageBox box(r);
  EXPECT_EQ(box.text(), QString::fromUtf8("Caf\xc3\xa9 <b>x</b>"));
  EXPECT_EQ(box.textFormat(), Qt::PlainText);
}

// A long file name has no space to break at: the box breaks it where it
// must, yet shows and copies the message as it stands.
TEST(QtMessageBox, LongNameWrapsInsideTheBox) {
  MessageBoxRequest r = Request(kMbOk | kMbIconExclamation);
  r.prompt = "The backup copy '/home/pilot/" + std::string(238, 'n') + "' was not made (Permission denied).";
  CentredMessageBox box(r);
  box.show();
  auto* label = box.findChild<QLabel*>("qt_msgbox_label");
  ASSERT_NE(label, nullptr);
  EXPECT_LE(label->minimumSizeHint().width(), label->width());
  EXPECT_LT(box.frameGeometry().width(), QGuiApplication::primaryScreen()->geometry().width());
  const QString prompt = QString::fromStdString(r.prompt);
  EXPECT_EQ(QString(box.text()).remove(QChar(0x200B)), prompt);
  label->setSelection(0, static_cast<int>(label->text().size()));
  QTest::keySequence(label, QKeySequence::Copy);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), prompt);
  box.close();
}

TEST(QtMessageBox, CentredOnOwnerOrScreenWhenShown) {
  QWidget owner;
  owner.setGeometry(100, 80, 640, 480);
  owner.show();
  CentredMessageBox box(Request(kMbYesNo, &owner));
  box.show();
  QRect ref = owner.frameGeometry();
  QSize size = box.frameGeometry().size();
  ScreenPoint expected = CentredBoxPosition({ref.x(), ref.y(), ref.width(), ref.height()},
                                            size.width(), size.height(), 0, 0);
  EXPECT_EQ(box.frameGeometry().topLeft(), QPoint(expected.x, expected.y));
  box.button(QMessageBox::No)->click();
  EXPECT_EQ(box.ResultCode(), kIdNo);

  CentredMessageBox free(Request(kMbOk));
  free.show();
  QRect screen = QGuiApplication::primaryScreen()->geometry();
  size = free.frameGeometry().size();
  expected = CentredBoxPosition({screen.x(), screen.y(), screen.width(), screen.height()},
                                size.width(), size.height(), 0, 0);
  EXPECT_EQ(free.frameGeometry().topLeft(), QPoint(expected.x, expected.y));
  free.close();
}

// As on Windows, a box without Cancel that offers a choice cannot be
// dismissed: Esc and the close button would otherwise answer No unasked.
TEST(QtMessageBox, YesNoBoxWaitsForAButton) {
  for (int style : {kMbYesNo, kMbAbortRetryIgnore}) {
    CentredMessageBox box(Request(style | kMbIconQuestion));
    box.show();
    EXPECT_TRUE(box.MustChoose());
    EXPECT_FALSE(box.windowFlags() & Qt::WindowCloseButtonHint);
    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_TRUE(box.isVisible());
    EXPECT_FALSE(box.close());
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(box.ResultCode(), kIdNone);
    box.buttons().front()->click();
    EXPECT_FALSE(box.isVisible());
  }
  // With Cancel, or a lone OK, Esc answers as before.
  CentredMessageBox cancel(Request(kMbYesNoCancel));
  cancel.show();
  EXPECT_FALSE(cancel.MustChoose());
  QTest::keyClick(&cancel, Qt::Key_Escape);
  EXPECT_FALSE(cancel.isVisible());
  EXPECT_EQ(cancel.ResultCode(), kIdCancel);
  CentredMessageBox ok(Request(kMbOk));
  ok.show();
  EXPECT_TRUE(ok.close());
  EXPECT_EQ(ok.ResultCode(), kIdOk);

  // Through the program's one message function.
  InstallQtMessageBoxHandler();
  QTimer::singleShot(0, [] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    QTest::keyClick(box, Qt::Key_Escape);
    box->close();
    ASSERT_EQ(QApplication::activeModalWidget(), box);
    box->button(QMessageBox::Yes)->click();
  });
  EXPECT_EQ(ShowMessageBox("Delete?", kMbYesNo | kMbIconQuestion, kProgramTitle), kIdYes);
  SetMessageBoxHandler({});
}

}  // namespace
}  // namespace velk
