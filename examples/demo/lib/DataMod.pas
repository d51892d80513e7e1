unit DataMod;

interface

uses
  SysUtils, Classes, DB, DBTables;

type
  TdmData = class(TDataModule)
    tblCustomers: TTable;
  end;

var
  dmData: TdmData;

implementation

{$R *.DFM}

end.
