#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// The six pages of the properties dialog: their controls, laid out, and
// nothing else. What a control shows and what its change does is the
// dialog's business.

class TNetworkPage : public QWidget {
 public:
  explicit TNetworkPage(QWidget* parent = nullptr);
  QLabel* ownAddressLabel;
  QLabel* addressCaption;
  QLabel* portCaption;
  QLineEdit* portEdit;
  QLabel* userNameCaption;
  QLineEdit* userNameEdit;
  QLabel* autoConnectCaption;
  QComboBox* autoConnectCombo;
  QCheckBox* dnsResolveCheck;
};

class TSoundPage : public QWidget {
 public:
  explicit TSoundPage(QWidget* parent = nullptr);
  QComboBox* micDeviceCombo;
  QCheckBox* lineInCheck;
  QComboBox* speakerDeviceCombo;
  QPushButton* soundTestButton;
  QLabel* soundTestLamp;
  QLabel* soundTypeCaption;
  QComboBox* soundTypeCombo;
  QLabel* preBufferCaption;
  QSpinBox* preBufferSpin;
  // Call quality: each changes only this side, never what goes on the wire.
  QCheckBox* lowLatencyCheck;
  QCheckBox* echoCancelCheck;
  QCheckBox* noiseSuppressCheck;
};

class TSpeexPage : public QWidget {
 public:
  explicit TSpeexPage(QWidget* parent = nullptr);
  QLabel* encoderCaption;
  QLabel* qualityCaption;
  QComboBox* qualityCombo;
  QLabel* complexityCaption;
  QComboBox* complexityCombo;
  QCheckBox* vbrCheck;
  QLabel* vbrQualityCaption;
  QComboBox* vbrQualityCombo;
  QCheckBox* vadCheck;
  QCheckBox* dtxCheck;
  QPushButton* sendButton;
  QLabel* decoderCaption;
  QCheckBox* enhancerCheck;
};

class TOptionsPage : public QWidget {
 public:
  explicit TOptionsPage(QWidget* parent = nullptr);
  QLabel* scopeZoomCaption;
  QSpinBox* scopeZoomSpin;
  QCheckBox* startInTrayCheck;
  QCheckBox* logCheck;
  QCheckBox* ringerOffCheck;
  QLabel* ringerCaption;
  QLineEdit* ringerFileField;
  QPushButton* ringerSelectButton;
  QPushButton* ringerDeselectButton;
  QPushButton* ringTestButton;
  QLabel* autoStartCaption;
  QLineEdit* autoStartField;
  QPushButton* autoStartSelectButton;
  QPushButton* autoStartDeselectButton;
};

class TAccessPage : public QWidget {
 public:
  explicit TAccessPage(QWidget* parent = nullptr);
  QCheckBox* autoAnswerCheck;
  QCheckBox* restrictCheck;
  QCheckBox* passwordCheck;
  QLabel* passwordCaption;
  QLineEdit* passwordEdit;
  QCheckBox* lockCodecCheck;
};

class TFiltersPage : public QWidget {
 public:
  explicit TFiltersPage(QWidget* parent = nullptr);
  QCheckBox* bandpassCheck;
  QGroupBox* bandpassGroup;
  QLabel* frequencyCaption;
  QSpinBox* frequencySpin;
  QLabel* gainCaption;
  QSpinBox* gainSpin;
  QLabel* qCaption;
  QSpinBox* qSpin;
  QLabel* scaleCaption;
  QSpinBox* scaleSpin;
  QLabel* cascadeCaption;
  QSpinBox* cascadeSpin;
  QCheckBox* limiterCheck;
};
