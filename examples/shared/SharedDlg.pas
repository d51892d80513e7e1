unit SharedDlg;

interface

uses
  Windows, SysUtils, Classes, Graphics, Forms, Controls, StdCtrls;

type
  TdlgConfirm = class(TForm)
    lblQuestion: TLabel;
    btnYes: TButton;
    btnNo: TButton;
  end;

function ConfirmAction(const Question: string): Boolean;

implementation

{$R *.DFM}

function ConfirmAction(const Question: string): Boolean;
begin
  with TdlgConfirm.Create(nil) do
  try
    lblQuestion.Caption := Question;
    Result := ShowModal = mrYes;
  finally
    Free;
  end;
end;

end.
