object dlgConfirm: TdlgConfirm
  Left = 260
  Top = 180
  BorderStyle = bsDialog
  Caption = 'Confirm'
  ClientHeight = 90
  ClientWidth = 260
  Position = poScreenCenter
  PixelsPerInch = 96
  TextHeight = 13
  object lblQuestion: TLabel
    Left = 12
    Top = 12
    Width = 3
    Height = 13
  end
  object btnYes: TButton
    Left = 48
    Top = 52
    Width = 75
    Height = 25
    Caption = '&Yes'
    ModalResult = 6
    TabOrder = 0
  end
  object btnNo: TButton
    Left = 136
    Top = 52
    Width = 75
    Height = 25
    Caption = '&No'
    ModalResult = 7
    TabOrder = 1
  end
end
