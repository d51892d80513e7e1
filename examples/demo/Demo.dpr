program Demo;

uses
  Forms,
  Main in 'Main.pas' {frmMain},
  About in 'About.pas' {frmAbout},
  DataMod in 'lib\DataMod.pas' {dmData: TDataModule};

{$R *.RES}

begin
  Application.Initialize;
  Application.Title := 'Demo';
  Application.CreateForm(TfrmMain, frmMain);
  Application.CreateForm(TdmData, dmData);
  Application.Run;
end.
