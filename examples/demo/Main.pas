unit Main;

interface

uses
  Windows, Messages, SysUtils, Classes, Graphics, Controls, Forms, Dialogs,
  StdCtrls, ExtCtrls, SharedUtils, ChartPro;

type
  TfrmMain = class(TForm)
    btnAbout: TButton;
    lblTotal: TLabel;
    procedure btnAboutClick(Sender: TObject);
    procedure FormCreate(Sender: TObject);
  end;

var
  frmMain: TfrmMain;

implementation

{$R *.DFM}

uses
  About, DataMod, SharedDlg, OldCalc;

procedure TfrmMain.FormCreate(Sender: TObject);
begin
  lblTotal.Caption := FormatTotal(AddUp(2, 3));
end;

procedure TfrmMain.btnAboutClick(Sender: TObject);
begin
  if ConfirmAction('Show the about box?') then
    ShowAbout;
end;

end.
