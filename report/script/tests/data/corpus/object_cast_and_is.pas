function F: String;
var
  L: TStringList;
  O: TStrings;
  N: Integer;
begin
  L := TStringList.Create;
  O := L;
  if O is TStrings then
    Result := 'TStrings';
  if (O as TStringList) <> nil then
    Result := Result + ' ' + TStringList(O).ClassName;
  N := Integer(O) + 7;
  L := TStringList(N);
  if L = nil then
    Result := Result + ' guarded';
end;
