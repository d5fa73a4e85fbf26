function F: String;
var
  L: TStringList;
  I: Integer;
begin
  L := TStringList.Create;
  L.Sorted := True;
  L.Add('libxml2');
  L.Add('coreutils');
  L.Add('bash');
  L.Add('dpkg');
  I := -1;
  if L.Find('dpkg', I) then
    Result := IntToStr(I) + ' ' + L[I]
  else
    Result := 'absent';
  if not L.Find('apt', I) then
    Result := Result + ' / insert at ' + IntToStr(I);
  L.Free;
end;
