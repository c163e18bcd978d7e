object Folder: TForm
  Caption = '$TITLE$'
  ClientHeight = 313
  ClientWidth = 497
  Color = clBtnFace
  Font.Name = 'Tahoma'
  Font.Height = -11
  PixelsPerInch = 96
  object lblFolder: TLabel
    Left = 16
    Top = 16
    Width = 460
    Height = 13
    Caption = 'Setup installs $TITLE$ into this folder:'
  end
  object edtFolder: TEdit
    Left = 16
    Top = 40
    Width = 460
    Height = 21
    TabOrder = 0
    Text = '$TARGETDIR$'
  end
  object btnBack: TButton
    Left = 232
    Top = 276
    Width = 75
    Height = 25
    Caption = '< &Back'
    TabOrder = 1
  end
  object btnNext: TButton
    Left = 320
    Top = 276
    Width = 75
    Height = 25
    Caption = '&Install'
    Default = True
    TabOrder = 2
  end
  object btnCancel: TButton
    Left = 408
    Top = 276
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    TabOrder = 3
  end
end
