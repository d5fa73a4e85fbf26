function F: String;
var
  L: TStringList;
  V: Variant;
  N: Integer;
begin
  L := TStringList.Create;
  V := L;
  N := Integer(L);
  L.Free;
  if (L = nil) and (TStringList(V) = nil) and (TStringList(N) = nil) then
    Result := 'nil'
  else
    Result := 'dangling';
end;
