object Welcome: TForm
  Caption = '$TITLE$'
  ClientHeight = 313
  ClientWidth = 497
  Color = clBtnFace
  Font.Name = 'Tahoma'
  Font.Height = -11
  PixelsPerInch = 96
  object lblWelcome: TLabel
    Left = 16
    Top = 16
    Width = 460
    Height = 13
    Caption = 'Welcome to the setup of $TITLE$ $VERSION$.'
  end
  object btnNext: TButton
    Left = 320
    Top = 276
    Width = 75
    Height = 25
    Caption = '&Next >'
    Default = True
    TabOrder = 0
  end
  object btnCancel: TButton
    Left = 408
    Top = 276
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    TabOrder = 1
  end
end
