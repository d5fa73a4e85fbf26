function F: Extended;
var x: Integer;
begin
  x := 0;
  Result := 5 / x;
end;
