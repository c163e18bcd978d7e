object Finish: TForm
  Caption = '$TITLE$'
  ClientHeight = 313
  ClientWidth = 497
  Color = clBtnFace
  Font.Name = 'Tahoma'
  Font.Height = -11
  PixelsPerInch = 96
  object lblFinish: TLabel
    Left = 16
    Top = 16
    Width = 460
    Height = 13
    Caption = '$TITLE$ has been set up.'
  end
  object btnFinish: TButton
    Left = 408
    Top = 276
    Width = 75
    Height = 25
    Caption = '&Finish'
    Default = True
    TabOrder = 0
  end
end
