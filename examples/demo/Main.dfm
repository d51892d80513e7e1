object frmMain: TfrmMain
  Left = 200
  Top = 120
  Width = 320
  Height = 200
  Caption = 'Demo'
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  OldCreateOrder = False
  OnCreate = FormCreate
  PixelsPerInch = 96
  TextHeight = 13
  object lblTotal: TLabel
    Left = 16
    Top = 16
    Width = 3
    Height = 13
  end
  object btnAbout: TButton
    Left = 16
    Top = 120
    Width = 75
    Height = 25
    Caption = '&About'
    TabOrder = 0
    OnClick = btnAboutClick
  end
end
