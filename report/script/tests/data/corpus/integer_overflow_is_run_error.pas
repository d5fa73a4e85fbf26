function F: Integer;
var i: Integer;
begin
  i := 2147483647;
  i := i + 1;
  Result := i;
end;
