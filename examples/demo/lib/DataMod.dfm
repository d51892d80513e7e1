object dmData: TdmData
  OldCreateOrder = False
  Left = 300
  Top = 200
  Height = 150
  Width = 215
  object tblCustomers: TTable
    DatabaseName = 'DBDEMOS'
    TableName = 'customer.db'
    Left = 40
    Top = 24
  end
end
