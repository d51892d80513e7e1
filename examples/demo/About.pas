unit About;

interface

uses
  Windows, SysUtils, Classes, Graphics, Forms, Controls, StdCtrls,
  Buttons, ExtCtrls;

type
  TfrmAbout = class(TForm)
    lblTitle: TLabel;
    btnOK: TButton;
  end;

procedure ShowAbout;

implementation

uses SharedUtils;

{$R *.DFM}

procedure ShowAbout;
begin
  with TfrmAbout.Create(nil) do
  try
    lblTitle.Caption := 'Demo ' + FormatTotal(1);
    ShowModal;
  finally
    Free;
  end;
end;

end.
