function F: Integer;
var b: Boolean;
begin
  b := False;
  Result := 1;
  if b and ((1 div 0) = 0) then
    Result := 2;
end;
