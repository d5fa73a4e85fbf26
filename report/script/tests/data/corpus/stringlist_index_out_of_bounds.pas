function F: String;
var
  L: TStringList;
begin
  L := TStringList.Create;
  L.Add('bash');
  Result := L[1];
end;
