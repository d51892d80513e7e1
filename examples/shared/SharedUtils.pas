unit SharedUtils;

interface

uses
  SysUtils;

function AddUp(A, B: Integer): Integer;
function FormatTotal(Value: Integer): string;

implementation

function AddUp(A, B: Integer): Integer;
begin
  Result := A + B;
end;

function FormatTotal(Value: Integer): string;
begin
  Result := Format('Total: %d', [Value]);
end;

end.
