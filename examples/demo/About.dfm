object frmAbout: TfrmAbout
  Left = 250
  Top = 160
  BorderStyle = bsDialog
  Caption = 'About Demo'
  ClientHeight = 120
  ClientWidth = 240
  Position = poScreenCenter
  PixelsPerInch = 96
  TextHeight = 13
  object lblTitle: TLabel
    Left = 16
    Top = 16
    Width = 3
    Height = 13
  end
  object btnOK: TButton
    Left = 80
    Top = 80
    Width = 75
    Height = 25
    Caption = 'OK'
    Default = True
    ModalResult = 1
    TabOrder = 0
  end
end
